// Holds the instance lock for the single-instance tests: `InstanceHolder NAME
// TITLE` prints "ready" once it answers as TITLE (or "busy" and ends with 2
// when the lock is taken), prints "raised" each time it is asked to raise,
// and releases everything when its standard input ends.

#include "platform/SingleInstance.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string title = argv[2];
    auto lock = platform::InstanceLock::TryAcquire(argv[1]);
    if (!lock) {
        std::printf("busy\n");
        return 2;
    }
    platform::InstanceLock::Answers answers;
    answers.title = [title] { return title; };
    answers.raise = [] {
        std::printf("raised\n");
        std::fflush(stdout);
    };
    if (!lock->StartAnswering(std::move(answers))) {
        std::printf("silent\n");
        return 3;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
    return 0;
}
