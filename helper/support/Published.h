#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace quorvel {

// A published property: subscribers hear of a change before the value changes,
// and are given the new value. Every assignment is announced, equal or not. Used on
// one thread only. Subscribing does not change the value, so readers holding a const
// reference may subscribe; only the owner assigns.
template <class T>
class Published {
public:
    using WillChange = std::function<void(const T& newValue)>;

    explicit Published(T initial) : value_(std::move(initial)) {}

    const T& get() const { return value_; }
    operator const T&() const { return value_; }  // NOLINT: reads like the value

    void set(T newValue)
    {
        for (const auto& subscriber : subscribers_) subscriber(newValue);
        value_ = std::move(newValue);
    }
    Published& operator=(T newValue)
    {
        set(std::move(newValue));
        return *this;
    }

    void subscribeWillChange(WillChange subscriber) const { subscribers_.push_back(std::move(subscriber)); }

private:
    T value_;
    mutable std::vector<WillChange> subscribers_;
};

}  // namespace quorvel
