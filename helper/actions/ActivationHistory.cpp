#include "helper/actions/ActivationHistory.h"

#include <algorithm>

namespace quorvel {

void ActivationHistory::recordActivation(const std::string& bundleIdentifier)
{
    if (bundleIdentifier.empty()) return;
    if (!entries_.empty() && entries_.front() == bundleIdentifier) return;
    remove(bundleIdentifier);
    entries_.insert(entries_.begin(), bundleIdentifier);
    trim();
}

void ActivationHistory::recordShortcutSwitch(const std::string& from, const std::string& to)
{
    remove(from);
    remove(to);
    if (!from.empty()) entries_.insert(entries_.begin(), from);
    if (!to.empty()) entries_.insert(entries_.begin(), to);
    trim();
}

void ActivationHistory::remove(const std::string& bundleIdentifier)
{
    std::erase(entries_, bundleIdentifier);
}

void ActivationHistory::trim()
{
    if (entries_.size() > capacity) entries_.resize(capacity);
}

}  // namespace quorvel
