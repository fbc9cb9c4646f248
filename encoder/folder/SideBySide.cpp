#include "encoder/folder/SideBySide.h"

#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

void ForEachSideBySide(size_t count, int jobs, const std::function<void(size_t)> &work)
{
    std::atomic<size_t> next = 0;
    const auto takeTurns = [&] {
        for (size_t item = next++; item < count; item = next++)
            work(item);
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < jobs && size_t(i) < count; ++i) {
        try {
            helpers.emplace_back(takeTurns);
        } catch (const std::system_error &) { // the machine has no thread to spare: fewer files at once
            break;
        }
    }
    takeTurns();
    for (std::thread &helper : helpers)
        helper.join();
}
