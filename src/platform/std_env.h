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

    // The console streams are written in blocks: a big counting run says a
    // line for every file, and a write per line would cost it more than the
    // counting itself. Each stream's text goes out before the other's, so
    // both read in order when they are sent to one file.
    StdEnv() { std::setvbuf(stderr, nullptr, _IOFBF, 1 << 16); }

    void out(std::string_view text) override {
        std::fflush(stderr);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    void err(std::string_view text) override {
        std::fflush(stdout);
        std::fwrite(text.data(), 1, text.size(), stderr);
    }
    void flush_console() override {
        std::fflush(stdout);
        std::fflush(stderr);
    }
};

}  // namespace zunt
