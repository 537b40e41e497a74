#pragma once
// PK_TEST_ASAN is set when the tests are built under AddressSanitizer, for the checks that
// only it can make (poisoned memory, leak checks).
#include <sanitizer/asan_interface.h>

#if defined(__SANITIZE_ADDRESS__)
#define PK_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PK_TEST_ASAN 1
#endif
#endif
