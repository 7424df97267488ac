// Runs one transcript case: the program under test as a process, in a fresh
// working directory, with the case's typed bytes on standard input.
//
//   transcript_runner [--crlf] PROGRAM CASE_DIR
//   transcript_runner [--crlf] --prefixes [--line-cuts] PROGRAM CASE_DIR
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
// --line-cuts keeps only the cuts at line ends.
//
// --crlf: the program follows the Windows convention for line breaks, so
// every LF of the typed bytes is typed as CR LF and every LF of the expected
// output is expected as CR LF. Files are compared unchanged.
#include "temp_dir.h"

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
#include <vector>
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr unsigned timeout_seconds = 120;

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The typed or written form of text under --crlf: every LF as CR LF.
std::string with_crlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char ch : text) {
        if (ch == '\n') out += '\r';
        out += ch;
    }
    return out;
}

std::string escape(const std::string& bytes, std::size_t from, std::size_t count) {
    std::string out;
    for (std::size_t i = from; i < bytes.size() && i < from + count; ++i) {
        auto ch = static_cast<unsigned char>(bytes[i]);
        if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
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

#ifdef _WIN32
std::wstring widen(const std::string& utf8) {
    int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), count);
    return wide;
}

std::string narrow(const std::wstring& wide) {
    int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
    std::string text(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), count, nullptr,
                        nullptr);
    return text;
}

std::vector<std::string> own_environment() {
    std::vector<std::string> env;
    wchar_t* block = GetEnvironmentStringsW();
    if (block == nullptr) return env;
    for (const wchar_t* var = block; *var != L'\0'; var += std::wcslen(var) + 1) env.push_back(narrow(var));
    FreeEnvironmentStringsW(block);
    return env;
}
#else
std::vector<std::string> own_environment() {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    return env;
}
#endif

std::vector<std::string> environment_for(const fs::path& case_dir) {
    std::vector<std::string> env;
    for (std::string& var : own_environment()) {
        if (var.rfind("LC_", 0) == 0 || var.rfind("LANG=", 0) == 0 || var.rfind("LANGUAGE=", 0) == 0)
            continue;
        env.push_back(std::move(var));
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

#ifdef _WIN32
outcome run_program(const std::string& program, const fs::path& work, const fs::path& input,
                    const fs::path& output, const std::vector<std::string>& env) {
    outcome result;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE in = CreateFileW(input.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherited, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE || out == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open the case's input or output\n");
        if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
        if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
        return result;
    }
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = in;
    start.hStdOutput = out;
    start.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring command = L"\"" + widen(program) + L"\"";
    std::wstring block;
    for (const auto& var : env) block += widen(var) + L'\0';
    block += L'\0';
    PROCESS_INFORMATION process{};
    // Under Wine on a loaded machine a start now and then fails with an
    // internal error before the program runs at all; such a start is tried
    // again, any other failure is reported.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) Sleep(200);
        started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
                                 block.data(), work.c_str(), &start, &process);
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
    }
    CloseHandle(in);
    CloseHandle(out);
    if (!started) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return result;
    }
    if (WaitForSingleObject(process.hProcess, timeout_seconds * 1000) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        result.timed_out = true;
    } else {
        DWORD status = 0;
        GetExitCodeProcess(process.hProcess, &status);
        result.exited = true;
        result.status = static_cast<int>(status);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return result;
}
#else
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

#endif

} // namespace

namespace {

struct scratch_dir {
    fs::path root;
    fs::path work;
    scratch_dir() : root(test_support::make_temp_dir("transcript")), work(root / "work") {
        if (root.empty()) {
            std::fprintf(stderr, "cannot make a scratch directory\n");
            std::exit(2);
        }
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

// How a case is run: what the runner's options ask for.
struct run_options {
    bool prefixes = false;
    bool line_cuts = false;
    bool crlf = false;
};

std::string typed_input(const fs::path& case_dir, const run_options& options) {
    std::string input = fs::exists(case_dir / "stdin") ? read_file(case_dir / "stdin") : std::string();
    return options.crlf ? with_crlf(input) : input;
}

std::string expected_output(const fs::path& case_dir, const run_options& options) {
    std::string expected = read_file(case_dir / "stdout");
    return options.crlf ? with_crlf(expected) : expected;
}

int check_prefixes(const std::string& program, const fs::path& case_dir, const run_options& options) {
    std::string input = typed_input(case_dir, options);
    std::string expected = expected_output(case_dir, options);
    auto env = environment_for(case_dir);
    std::string failures;
    int runs = 0;
    for (std::size_t cut = 0; cut < input.size(); ++cut) {
        bool line_end = cut == 0 || input[cut - 1] == '\n';
        if (!line_end && (options.line_cuts || input.size() > 400)) continue;
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
    std::fprintf(stderr, "%s: %s", case_dir.filename().string().c_str(), failures.c_str());
    return 1;
}

int check_case(const std::string& program, const fs::path& case_dir, const run_options& options) {
    scratch_dir scratch;
    fs::path work = scratch.work;
    copy_before(case_dir, work);
    fs::path input = scratch.root / "stdin";
    std::ofstream(input, std::ios::binary) << typed_input(case_dir, options);
    fs::path output = scratch.root / "stdout";

    outcome result = run_program(program, work, input, output, environment_for(case_dir));

    int expected_status = 0;
    if (fs::exists(case_dir / "status")) expected_status = std::atoi(read_file(case_dir / "status").c_str());
    std::string failures = describe_end(result, expected_status);

    std::string diff = first_difference(expected_output(case_dir, options), read_file(output));
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
    std::fprintf(stderr, "%s: %s", case_dir.filename().string().c_str(), failures.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    run_options options;
    int arg = 1;
    for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; ++arg) {
        if (std::strcmp(argv[arg], "--prefixes") == 0) {
            options.prefixes = true;
        } else if (std::strcmp(argv[arg], "--line-cuts") == 0) {
            options.line_cuts = true;
        } else if (std::strcmp(argv[arg], "--crlf") == 0) {
            options.crlf = true;
        } else {
            break;
        }
    }
    if (argc - arg != 2 || (options.line_cuts && !options.prefixes)) {
        std::fprintf(stderr,
                     "usage: transcript_runner [--crlf] [--prefixes [--line-cuts]] PROGRAM CASE_DIR\n");
        return 2;
    }
    std::string program = fs::absolute(argv[arg]).string();
    fs::path case_dir = fs::absolute(argv[arg + 1]);
    return options.prefixes ? check_prefixes(program, case_dir, options)
                            : check_case(program, case_dir, options);
}
