#include "encoder/folder/OutputClaims.h"

bool OutputClaims::claim(size_t file, const QString &output, const std::function<bool(const QSet<QString> &claimed)> &decide)
{
    std::unique_lock lock(mutex_);
    settledChanged_.wait(lock, [&] { return settledUpTo_ >= file; });
    bool claims = false;
    try {
        claims = decide(claimed_);
    } catch (...) {
        settleLocked(file);
        throw;
    }
    if (claims)
        claimed_.insert(output);
    settleLocked(file);
    return claims;
}

void OutputClaims::settle(size_t file)
{
    const std::lock_guard lock(mutex_);
    settleLocked(file);
}

void OutputClaims::settleLocked(size_t file)
{
    settled_[file] = true;
    while (settledUpTo_ < settled_.size() && settled_[settledUpTo_])
        ++settledUpTo_;
    settledChanged_.notify_all();
}
