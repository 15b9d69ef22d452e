// A scratch directory for the log scanning tests, with small file helpers.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zunt::testing {

class ScanDir {
public:
    explicit ScanDir(const std::string& tag) {
        static int serial = 0;
        dir_ = std::filesystem::temp_directory_path() /
               ("zunt_scan_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~ScanDir() { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    void write(const std::string& name, const std::string& bytes, bool append = false) const {
        std::ofstream out(path(name), std::ios::binary | (append ? std::ios::app : std::ios::trunc));
        out << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }

private:
    std::filesystem::path dir_;
};

}  // namespace zunt::testing
