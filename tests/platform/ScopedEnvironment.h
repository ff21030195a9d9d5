#pragma once
// Sets or removes environment variables for one test and puts every one back
// as it was when the object goes away.

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    ~ScopedEnvironment() {
        for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) {
            if (saved->second) {
                setenv(saved->first.c_str(), saved->second->c_str(), 1);
            } else {
                unsetenv(saved->first.c_str());
            }
        }
    }

    void Set(const std::string& name, const std::string& value) {
        Save(name);
        setenv(name.c_str(), value.c_str(), 1);
    }

    void Unset(const std::string& name) {
        Save(name);
        unsetenv(name.c_str());
    }

private:
    void Save(const std::string& name) {
        for (const auto& saved : saved_) {
            if (saved.first == name) return;
        }
        const char* value = std::getenv(name.c_str());
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
