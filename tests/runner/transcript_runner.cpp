// Runs one transcript case: the program under test as a process, in a fresh
// working directory, with the case's typed bytes on standard input.
//
//   transcript_runner PROGRAM CASE_DIR
//   transcript_runner --prefixes PROGRAM CASE_DIR
//
// CASE_DIR holds
//   stdin    the bytes typed (absent: nothing)
//   stdout   the exact bytes expected on standard output
//   status   the expected exit status (absent: 0)
//   env      KEY=VALUE lines added to the environment (absent: LC_ALL=C)
//   before/  files copied into the working directory first
//   after/   when present: exactly the files the working directory must
//            hold afterwards, byte for byte
// Exit status 0 when everything matches; otherwise a report of the first
// difference on standard error and status 1.
//
// With --prefixes the input is cut short instead: at every line end, and at
// every byte of a short input. Each cut must end the program quietly with
// status 0 (end of input), and a cut at a line end must write exactly the
// beginning of the expected output: a program that never looks past the
// current line cannot tell the cut from a person who stopped typing.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr unsigned timeout_seconds = 120;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string escape(const std::string& bytes, std::size_t from, std::size_t count) {
    std::string out;
    for (std::size_t i = from; i < bytes.size() && i < from + count; ++i) {
        auto ch = static_cast<unsigned char>(bytes[i]);
        if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\t') {
            out += "\\t";
        } else if (ch == '\\') {
            out += "\\\\";
        } else if (ch < 0x20 || ch >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", ch);
            out += hex;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out;
}

// Describes where two byte strings first differ; empty when they are equal.
std::string first_difference(const std::string& expected, const std::string& actual) {
    if (expected == actual) return {};
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    std::size_t line = 1;
    std::size_t line_start = 0;
    for (std::size_t i = 0; i < at; ++i) {
        if (expected[i] == '\n') {
            ++line;
            line_start = i + 1;
        }
    }
    std::ostringstream report;
    report << "first difference at byte " << at << " (line " << line << ", column " << at - line_start + 1
           << "); expected " << expected.size() << " bytes, got " << actual.size() << "\n";
    std::size_t from = at > 40 ? at - 40 : 0;
    report << "  expected: \"" << escape(expected, from, 120) << "\"\n";
    report << "  actual:   \"" << escape(actual, from, 120) << "\"\n";
    return report.str();
}

std::map<std::string, std::string> list_files(const fs::path& root) {
    std::map<std::string, std::string> files;
    if (!fs::exists(root)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string name = fs::relative(entry.path(), root).string();
        if (entry.is_directory()) {
            files[name + "/"] = "";
        } else {
            files[name] = read_file(entry.path());
        }
    }
    return files;
}

std::vector<std::string> environment_for(const fs::path& case_dir) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string var = *e;
        if (var.rfind("LC_", 0) == 0 || var.rfind("LANG=", 0) == 0 || var.rfind("LANGUAGE=", 0) == 0)
            continue;
        env.push_back(var);
    }
    fs::path env_file = case_dir / "env";
    if (fs::exists(env_file)) {
        std::istringstream lines(read_file(env_file));
        std::string line;
        while (std::getline(lines, line))
            if (!line.empty()) env.push_back(line);
    } else {
        env.emplace_back("LC_ALL=C");
    }
    return env;
}

struct outcome {
    bool exited = false;
    int status = 0;
    int signal = 0;
    bool timed_out = false;
};

outcome run_program(const std::string& program, const fs::path& work, const fs::path& input,
                    const fs::path& output, const std::vector<std::string>& env) {
    outcome result;
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return result;
    }
    if (pid == 0) {
        if (chdir(work.c_str()) != 0) _exit(126);
        FILE* in = std::freopen(input.c_str(), "rb", stdin);
        FILE* out = std::freopen(output.c_str(), "wb", stdout);
        if (in == nullptr || out == nullptr) _exit(126);
        std::vector<char*> envp;
        envp.reserve(env.size() + 1);
        for (const auto& var : env) envp.push_back(const_cast<char*>(var.c_str()));
        envp.push_back(nullptr);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        alarm(timeout_seconds);
        execve(program.c_str(), argv, envp.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return result;
    }
    if (WIFEXITED(status)) {
        result.exited = true;
        result.status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
        result.timed_out = result.signal == SIGALRM;
    }
    return result;
}

} // namespace

namespace {

struct scratch_dir {
    fs::path root;
    fs::path work;
    scratch_dir() {
        std::string name = (fs::temp_directory_path() / "transcript.XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(2);
        }
        root = name;
        work = root / "work";
        fs::create_directory(work);
    }
    scratch_dir(const scratch_dir&) = delete;
    scratch_dir& operator=(const scratch_dir&) = delete;
    ~scratch_dir() {
        std::error_code ignored;
        fs::permissions(work, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(root, ignored);
    }
};

std::string describe_end(const outcome& result, int expected_status) {
    if (result.timed_out) return "the program did not end within " + std::to_string(timeout_seconds) + " s\n";
    if (!result.exited) return "the program was killed by signal " + std::to_string(result.signal) + "\n";
    if (result.status != expected_status)
        return "exit status " + std::to_string(result.status) + ", expected " +
               std::to_string(expected_status) + "\n";
    return {};
}

void copy_before(const fs::path& case_dir, const fs::path& work) {
    if (fs::exists(case_dir / "before"))
        fs::copy(case_dir / "before", work, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

int check_prefixes(const std::string& program, const fs::path& case_dir) {
    std::string input = read_file(case_dir / "stdin");
    std::string expected = read_file(case_dir / "stdout");
    auto env = environment_for(case_dir);
    std::string failures;
    int runs = 0;
    for (std::size_t cut = 0; cut < input.size(); ++cut) {
        bool line_end = cut == 0 || input[cut - 1] == '\n';
        if (!line_end && input.size() > 400) continue;
        scratch_dir scratch;
        copy_before(case_dir, scratch.work);
        fs::path in = scratch.root / "stdin";
        fs::path out = scratch.root / "stdout";
        std::ofstream(in, std::ios::binary) << input.substr(0, cut);
        outcome result = run_program(program, scratch.work, in, out, env);
        ++runs;
        std::string failure = describe_end(result, 0);
        std::string actual = read_file(out);
        if (failure.empty() && line_end && expected.compare(0, actual.size(), actual) != 0)
            failure = "output is not the beginning of the expected output: " +
                      first_difference(expected.substr(0, actual.size()), actual);
        if (!failure.empty()) failures += "input cut after " + std::to_string(cut) + " bytes: " + failure;
    }
    if (failures.empty()) {
        std::printf("%d cuts ended cleanly\n", runs);
        return 0;
    }
    std::fprintf(stderr, "%s: %s", case_dir.filename().c_str(), failures.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    bool prefixes = argc == 4 && std::strcmp(argv[1], "--prefixes") == 0;
    if (argc != 3 && !prefixes) {
        std::fprintf(stderr, "usage: transcript_runner [--prefixes] PROGRAM CASE_DIR\n");
        return 2;
    }
    std::string program = fs::absolute(argv[argc - 2]).string();
    fs::path case_dir = fs::absolute(argv[argc - 1]);
    if (prefixes) return check_prefixes(program, case_dir);

    scratch_dir scratch;
    fs::path work = scratch.work;
    copy_before(case_dir, work);
    fs::path input = case_dir / "stdin";
    if (!fs::exists(input)) {
        input = scratch.root / "empty-stdin";
        std::ofstream(input, std::ios::binary).flush();
    }
    fs::path output = scratch.root / "stdout";

    outcome result = run_program(program, work, input, output, environment_for(case_dir));

    int expected_status = 0;
    if (fs::exists(case_dir / "status")) expected_status = std::atoi(read_file(case_dir / "status").c_str());
    std::string failures = describe_end(result, expected_status);

    std::string diff = first_difference(read_file(case_dir / "stdout"), read_file(output));
    if (!diff.empty()) failures += "standard output: " + diff;

    if (fs::exists(case_dir / "after")) {
        auto expected = list_files(case_dir / "after");
        auto actual = list_files(work);
        for (const auto& [name, bytes] : expected) {
            auto found = actual.find(name);
            if (found == actual.end()) {
                failures += "missing file " + name + "\n";
                continue;
            }
            std::string file_diff = first_difference(bytes, found->second);
            if (!file_diff.empty()) failures.append("file ").append(name).append(": ").append(file_diff);
        }
        for (const auto& entry : actual)
            if (!expected.contains(entry.first)) failures += "unexpected file " + entry.first + "\n";
    }

    if (failures.empty()) return 0;
    std::fprintf(stderr, "%s: %s", case_dir.filename().c_str(), failures.c_str());
    return 1;
}
