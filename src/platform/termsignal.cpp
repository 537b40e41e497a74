#include "platform/termsignal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <csignal>

namespace pk {

namespace {

// The handlers may only write a byte, arm the alarm or end the process; the main thread reads
// the byte through the notifier.
int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t signalsSeen = 0;
unsigned grace = 1;

void EndNow(int signal) {
    _exit(128 + signal);
}

void OnSignal(int signal) {
    const int saved = errno;
    if (signalsSeen != 0) {
        EndNow(signal);  // asked again: the orderly end is taking too long for the user
    }
    signalsSeen = 1;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
    alarm(grace);
    errno = saved;
}

// The grace time ran out: the orderly end is stuck (a handler that never returns to its
// event loop), and the process ends as the signal asked.
void OnGraceOver(int) {
    EndNow(SIGTERM);
}

}  // namespace

bool OnTerminationSignal(std::function<void()> handler, unsigned graceSeconds) {
    if (signalPipe[0] >= 0 || pipe(signalPipe) != 0)
        return false;
    grace = std::max(1u, graceSeconds);
    for (int fd : signalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    auto* notifier =
        new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler] {
        char bytes[16];
        while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        handler();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
    struct sigaction graceAction {};
    graceAction.sa_handler = OnGraceOver;
    sigemptyset(&graceAction.sa_mask);
    graceAction.sa_flags = SA_RESTART;
    return sigaction(SIGALRM, &graceAction, nullptr) == 0 &&
           sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace pk
