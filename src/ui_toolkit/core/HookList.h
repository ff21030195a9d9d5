#pragma once
// A list of callbacks run together; the list answers false when any callback
// refuses (returns false). All callbacks run even after one refused.

#include <functional>
#include <utility>
#include <vector>

template <typename... Args>
class HookList {
public:
    using Hook = std::function<bool(Args...)>;

    void Add(Hook hook) { m_hooks.push_back(std::move(hook)); }
    bool IsEmpty() const { return m_hooks.empty(); }

    bool Run(Args... args) const {
        bool accepted = true;
        for (const Hook& hook : m_hooks) {
            if (!hook(args...)) accepted = false;
        }
        return accepted;
    }

private:
    std::vector<Hook> m_hooks;
};
