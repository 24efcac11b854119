#include "TestFiles.h"

#include <cerrno>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace vornak::test {

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string golden(const std::string& name) {
    const auto path = std::filesystem::path(VORNAK_TEST_DATA) / name;
    if (!std::filesystem::exists(path)) {
        throw std::runtime_error("missing golden file " + path.string());
    }
    return readBytes(path);
}

std::string crlfLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line + "\r\n";
    }
    return out;
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.push_back(entry.path().filename());
    }
    return files;
}

// Enough of Windows-1251 for the tests: ASCII, the Russian alphabet, Ё, ё and №.
std::string cp1251(const char* utf8) {
    std::string out;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    while (*s) {
        unsigned code = *s;
        int extra = 0;
        if (code >= 0xF0) {
            code &= 0x07, extra = 3;
        } else if (code >= 0xE0) {
            code &= 0x0F, extra = 2;
        } else if (code >= 0xC0) {
            code &= 0x1F, extra = 1;
        }
        ++s;
        for (int i = 0; i < extra; ++i, ++s) {
            code = (code << 6) | (*s & 0x3Fu);
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code >= 0x410 && code <= 0x44F) {
            out += static_cast<char>(0xC0 + (code - 0x410));
        } else if (code == 0x401) {
            out += static_cast<char>(0xA8);
        } else if (code == 0x451) {
            out += static_cast<char>(0xB8);
        } else if (code == 0x2116) {
            out += static_cast<char>(0xB9);
        } else {
            throw std::runtime_error("test text outside the helper's Windows-1251 subset");
        }
    }
    return out;
}

void setDefaultTexts(ReportDefinition& d) {
    d.title = cp1251("ОПРЕДЕЛЕНИЕ РОСТА ПО КОСТЯМ");
    d.documentFile = "PrintForm.doc";
    d.input1Caption = cp1251("Приложение № ");
    d.input2Caption = cp1251("к заключению эксперта (к акту) № ");
    d.surnameCaption = cp1251("Эксперт");
    d.author = cp1251("Ведунов П.Р.");
    d.source = cp1251("А. Н. Ключева, Г. С. Тармин. \"Судебно-медицинское отождествление личности по костным "
                      "останкам.\" Издательство Сарат. ун-та, 1978");
    d.organisation = cp1251("Заречное ОБСМЭ");
    d.date = "06.12.2026";
}

ReportDefinition exampleDefinition() {
    ReportDefinition d;
    setDefaultTexts(d);
    ParameterRecord p;
    p.name = cp1251("Передняя высота тела 1 позвонка");
    p.kind = ValueKind::Range;
    p.isNumber = 1;
    p.values = {{"22.2", "23.7", cp1251("ВЖ")}, {"23.7", "27.7", cp1251("Н")}};
    d.parameters.push_back(p);
    d.results.push_back({cp1251("Рост"), "#R(1)"});
    return d;
}

ReportDefinition mixedDefinition() {
    ReportDefinition d;
    setDefaultTexts(d);
    ParameterRecord hair{cp1251("Волосы"),
                         "#P(2)*2",
                         ValueKind::List,
                         0,
                         1,
                         {{cp1251("светлые"), cp1251("скрыто"), "1"}, {cp1251("тёмные"), "", "2"}}};
    ParameterRecord age{cp1251("Возраст"), "", ValueKind::Input, 1, 1, {{"30", "", "#P(1)"}}};
    ParameterRecord odd{cp1251("Странный"), "", static_cast<ValueKind>(7), 0, 0, {}};
    ParameterRecord length{cp1251("Длина"), "", ValueKind::Range, 1, 0, {{"10", "20", cp1251("А")}}};
    d.parameters = {hair, age, odd, length};
    d.results = {{cp1251("Рост"), "#R(1)"}, {cp1251("Сумма"), "#S"}};
    return d;
}

ScratchFolder::ScratchFolder() {
    static std::mt19937_64 random{std::random_device{}()};
    path_ = std::filesystem::temp_directory_path() / ("vornak-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace vornak::test

#ifndef _WIN32 // child processes and other users: POSIX only
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vornak::test {

bool nobodyIds(unsigned& uid, unsigned& gid) {
    const passwd* user = ::getpwnam("nobody");
    if (user == nullptr) {
        return false;
    }
    uid = user->pw_uid;
    const group* nogroup = ::getgrnam("nogroup");
    gid = nogroup != nullptr ? nogroup->gr_gid : user->pw_gid;
    return true;
}

ChildResult runInChild(const std::function<void(std::string& report)>& work, bool unprivileged,
                       std::string* skipReason) {
    unsigned uid = 0;
    unsigned gid = 0;
    const bool becomeNobody = unprivileged && ::geteuid() == 0;
    if (becomeNobody && !nobodyIds(uid, gid)) {
        if (skipReason != nullptr) {
            *skipReason = "there is no user nobody to run the unprivileged case as";
        }
        return {};
    }
    int channel[2];
    if (::pipe(channel) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        ::close(channel[0]);
        if (becomeNobody && (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 ||
                             ::setresuid(uid, uid, uid) != 0)) {
            ::_exit(125);
        }
        std::string report;
        work(report);
        const char* data = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            const ssize_t n = ::write(channel[1], data, left);
            if (n <= 0) {
                ::_exit(126);
            }
            data += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    ChildResult result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.code = result.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return result;
}

} // namespace vornak::test
#endif
