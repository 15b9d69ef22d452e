// The parts of an Env that standard C++ gives alike on every host: the
// environment, the calendar clock, error texts and the console streams.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/env.h"

namespace zunt {

class StdEnv : public Env {
public:
    std::optional<std::string> get_env(const std::string& name) override {
        const char* v = std::getenv(name.c_str());
        if (!v) return std::nullopt;
        return std::string(v);
    }

    std::int64_t now() override { return static_cast<std::int64_t>(std::time(nullptr)); }

    std::string error_text(Errno err) override { return std::strerror(err); }

    void out(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
    // Flushed too, so that the console shows each line as the run gets there.
    void err(std::string_view text) override {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
};

}  // namespace zunt
