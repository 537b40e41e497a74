#pragma once
// One widget application object for a test program of windows, on the
// offscreen platform.
#include <QApplication>

namespace pk::test {

QApplication& EnsureWidgetApp();

}  // namespace pk::test
