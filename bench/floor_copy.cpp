// The I/O floor of the benchmarks: reads each named file once and writes it
// once to "<file>.floor", with plain buffered reads and writes.
//
//   floor_copy [--sync] <file>...
//
// --sync forces each copy to stable storage before it is closed, as ZUNT
// does with every list it rewrites.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool copy_once(const std::string& from, bool sync) {
    const std::string to = from + ".floor";
    int in = ::open(from.c_str(), O_RDONLY);
    if (in < 0) return false;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) {
        ::close(in);
        return false;
    }
    std::vector<char> buf(1 << 16);
    bool ok = true;
    for (;;) {
        ssize_t got = ::read(in, buf.data(), buf.size());
        if (got < 0) ok = false;
        if (got <= 0) break;
        for (ssize_t done = 0; done < got;) {
            ssize_t w = ::write(out, buf.data() + done, static_cast<std::size_t>(got - done));
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
    }
    if (sync && ::fsync(out) != 0) ok = false;
    ::close(in);
    if (::close(out) != 0) ok = false;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    bool sync = false;
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--sync") == 0) {
            sync = true;
            continue;
        }
        if (!copy_once(argv[i], sync)) {
            std::fprintf(stderr, "floor_copy: %s: %s\n", argv[i], std::strerror(errno));
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
