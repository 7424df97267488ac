// The benchmark's stopwatch, in two modes; both write "WALL USER SYSTEM PEAK_KB"
// (seconds, seconds, seconds, kilobytes) to RESULT.
//
//   measure run RESULT PROGRAM [ARGUMENT]...
//   measure floor RESULT STDOUT_COPY [-r FILE]... [-w FILE COPY]...
//
// run starts PROGRAM with this process's standard streams and working
// directory and ends with its status. It is a separate small process because
// the kernel carries the peak memory of the process that forks into the
// child: started from the report's own interpreter, every program would show
// that interpreter's peak instead of its own.
//
// floor does the least work a benchmark run can cost: standard input and the
// files named with -r read to their ends, then as many bytes as STDOUT_COPY
// (the program's own output, saved from its run) holds written to standard
// output and, for every -w FILE COPY, as many as COPY holds written to FILE in
// the working directory and synced to disk with the directory, as a durable
// save must be. Nothing is parsed or formatted. Every read and write moves one
// 64 KiB block through a buffer that stays in the processor's cache, as a
// program's buffer does: the bytes written are the copy's first block again
// and again, since what a write costs does not depend on them. Writing the
// copies from memory instead made the floor read hundreds of megabytes the
// cache does not hold, which no program does, and several programs went below
// it. Only the copies' sizes are taken before the clock starts, so the floor
// holds no more memory than a program does.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The block size of a buffered stream reading or writing a regular file.
constexpr std::size_t block = 64 * 1024;

[[noreturn]] void fail(const char* what, const std::string& name) {
    std::fprintf(stderr, "measure: %s %s: %s\n", what, name.c_str(), std::strerror(errno));
    std::_Exit(125);
}

double seconds(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void report(const char* result, double wall, const rusage& usage, const rusage& before) {
    std::FILE* f = std::fopen(result, "w");
    if (f == nullptr) fail("cannot create", result);
    std::fprintf(f, "%.6f %.6f %.6f %ld\n", wall, seconds(usage.ru_utime) - seconds(before.ru_utime),
                 seconds(usage.ru_stime) - seconds(before.ru_stime), usage.ru_maxrss);
    if (std::fclose(f) != 0) fail("cannot write", result);
}

int time_program(const char* result, char** command) {
    double start = now();
    pid_t child = fork();
    if (child < 0) fail("cannot start", command[0]);
    if (child == 0) {
        execv(command[0], command);
        fail("cannot start", command[0]);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0)
        if (errno != EINTR) fail("cannot wait for", command[0]);
    report(result, now() - start, usage, rusage{});
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

// The buffer of every read.
char buffer[block];

// What the floor writes in place of a copy: its size and its first block.
struct output {
    std::size_t size = 0;
    std::string first;
};

output measure_copy(const std::string& name) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (f == nullptr) fail("cannot open", name);
    output out;
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        if (out.size == 0) out.first.assign(buffer, got);
        out.size += got;
    }
    if (std::ferror(f) != 0) fail("cannot read", name);
    std::fclose(f);
    return out;
}

void read_all(int fd, const std::string& name) {
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) return;
        if (got < 0 && errno != EINTR) fail("cannot read", name);
    }
}

void write_all(int fd, const output& data, const std::string& name) {
    std::size_t done = 0;
    while (done < data.size) {
        std::size_t size = std::min(data.first.size(), data.size - done);
        std::size_t put = 0;
        while (put < size) {
            ssize_t now = ::write(fd, data.first.data() + put, size - put);
            if (now < 0 && errno != EINTR) fail("cannot write", name);
            if (now > 0) put += static_cast<std::size_t>(now);
        }
        done += size;
    }
}

struct saved_file {
    std::string name;
    output data;
};

int time_floor(const char* result, int argc, char** argv) {
    output out = measure_copy(argv[0]);
    std::vector<std::string> reads;
    std::vector<saved_file> writes;
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "-r" && i + 1 < argc) {
            reads.emplace_back(argv[++i]);
        } else if (option == "-w" && i + 2 < argc) {
            std::string name = argv[++i];
            writes.push_back({name, measure_copy(argv[++i])});
        } else {
            std::fprintf(stderr, "measure: unexpected argument %s\n", option.c_str());
            return 2;
        }
    }

    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    double start = now();
    read_all(0, "standard input");
    for (const std::string& name : reads) {
        int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) fail("cannot open", name);
        read_all(fd, name);
        ::close(fd);
    }
    write_all(1, out, "standard output");
    for (const saved_file& file : writes) {
        int fd = ::open(file.name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) fail("cannot create", file.name);
        write_all(fd, file.data, file.name);
        if (::fsync(fd) != 0 || ::close(fd) != 0) fail("cannot save", file.name);
    }
    if (!writes.empty()) {
        int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            (void)::fsync(fd);
            ::close(fd);
        }
    }
    double wall = now() - start;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    report(result, wall, usage, before);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 3 ? argv[1] : "";
    if (mode == "run") return time_program(argv[2], argv + 3);
    if (mode == "floor") return time_floor(argv[2], argc - 3, argv + 3);
    std::fprintf(stderr, "usage: measure run RESULT PROGRAM [ARGUMENT]...\n"
                         "       measure floor RESULT STDOUT_COPY [-r FILE]... [-w FILE COPY]...\n");
    return 2;
}
