#include "SessionSteps.h"

#include <array>
#include <sstream>
#include <utility>

namespace vornak::testing {
namespace {

constexpr std::array<std::pair<StepAction, const char*>, 15> names = {{
    {StepAction::Click, "click"},
    {StepAction::Drag, "drag"},
    {StepAction::EditCell, "edit"},
    {StepAction::TypeInEditor, "type-in-editor"},
    {StepAction::TypeField, "type-field"},
    {StepAction::UndoRedo, "undo-redo"},
    {StepAction::Record, "record"},
    {StepAction::Kind, "kind"},
    {StepAction::Flag, "flag"},
    {StepAction::Find, "find"},
    {StepAction::Paste, "paste"},
    {StepAction::Drop, "drop"},
    {StepAction::Panel, "panel"},
    {StepAction::Save, "save"},
    {StepAction::Kill, "kill"},
}};

std::string quoted(const QString& text) {
    std::string out = "\"";
    for (const char c : text.toStdString()) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

// Reads a quoted text at `at`; false when there is none.
bool unquote(const std::string& line, std::size_t& at, QString& text) {
    while (at < line.size() && line[at] == ' ') {
        ++at;
    }
    if (at >= line.size() || line[at] != '"') {
        return false;
    }
    std::string bytes;
    for (++at; at < line.size(); ++at) {
        char c = line[at];
        if (c == '"') {
            ++at;
            text = QString::fromStdString(bytes);
            return true;
        }
        if (c == '\\' && at + 1 < line.size()) {
            c = line[++at];
            c = c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        }
        bytes += c;
    }
    return false;
}

} // namespace

std::string Step::toLine() const {
    const char* name = "?";
    for (const auto& [action, text] : names) {
        if (action == this->action) {
            name = text;
        }
    }
    std::ostringstream out;
    out << name << ' ' << a << ' ' << b << ' ' << c << ' ' << d << ' ' << quoted(text) << ' ' << quoted(text2);
    return out.str();
}

bool Step::parse(const std::string& line, Step& step) {
    std::istringstream in(line);
    std::string name;
    Step read;
    if (!(in >> name >> read.a >> read.b >> read.c >> read.d)) {
        return false;
    }
    bool known = false;
    for (const auto& [action, text] : names) {
        if (name == text) {
            read.action = action;
            known = true;
        }
    }
    const std::streamoff offset = in.tellg();
    if (!known || offset < 0) {
        return false;
    }
    std::size_t at = static_cast<std::size_t>(offset);
    if (!unquote(line, at, read.text) || !unquote(line, at, read.text2)) {
        return false;
    }
    const std::size_t rest = line.find_first_not_of(" \t\r", at);
    if (rest != std::string::npos && line[rest] != '#') {
        return false;
    }
    step = read;
    return true;
}

std::vector<Step> parseSteps(const std::string& text, std::string& error) {
    std::vector<Step> steps;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        // A line of its own starting with '#' is a comment; so is what follows a step.
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        Step step;
        if (!Step::parse(line, step)) {
            error += "line " + std::to_string(number) + " is not a step: " + line + "\n";
            continue;
        }
        steps.push_back(step);
    }
    return steps;
}

QString StepSource::word() {
    // A small alphabet, so that find patterns meet the texts typed before.
    static const QString alphabet = QStringLiteral("абвжкмоя xz19.№ЁЩ");
    QString text;
    for (int i = 0, length = 1 + pick(4); i < length; ++i) {
        text += alphabet.at(pick(static_cast<int>(alphabet.size())));
    }
    return text;
}

QString StepSource::tableText(bool html) {
    const int rows = 1 + pick(3);
    const int columns = 1 + pick(3);
    QString text = html ? QStringLiteral("<html><body><table>") : QString();
    for (int r = 0; r < rows; ++r) {
        text += html ? QStringLiteral("<tr>") : QString();
        for (int c = 0; c < columns; ++c) {
            if (html) {
                const int span = pick(4) == 0 ? 2 : 1;
                text += (span > 1 ? QStringLiteral("<td colspan=\"2\">") : QStringLiteral("<td>")) + word() +
                        QStringLiteral("</td>");
            } else {
                text += (c > 0 ? QStringLiteral("\t") : QString()) + word();
            }
        }
        text += html ? QStringLiteral("</tr>") : QStringLiteral("\n");
    }
    return text + (html ? QStringLiteral("</table></body></html>") : QString());
}

Step StepSource::next() {
    Step s;
    s.a = pick(1000);
    s.b = pick(1000);
    s.c = pick(1000);
    s.d = pick(1000);
    // Weights: what users do most (clicking, editing cells, typing) comes most often.
    const int roll = pick(100);
    if (roll < 16) {
        s.action = StepAction::Click;
        s.c = pick(10) < 6 ? 0 : 1 + pick(2);
    } else if (roll < 20) {
        s.action = StepAction::Drag;
    } else if (roll < 38) {
        s.action = StepAction::EditCell;
        s.text = word();
        s.d = pick(EndingCount);
    } else if (roll < 44) {
        s.action = StepAction::TypeInEditor;
        s.text = word();
        s.d = pick(EndingCount);
    } else if (roll < 50) {
        s.action = StepAction::TypeField;
        s.a = pick(4);
        s.text = word();
    } else if (roll < 58) {
        s.action = StepAction::UndoRedo;
        s.a = pick(10) < 6 ? 0 : 1;
        s.b = pick(2);
    } else if (roll < 68) {
        s.action = StepAction::Record;
    } else if (roll < 72) {
        s.action = StepAction::Kind;
        s.a = pick(3);
    } else if (roll < 74) {
        s.action = StepAction::Flag;
        s.a = pick(2);
    } else if (roll < 80) {
        s.action = StepAction::Find;
        s.a = pick(FindModeCount);
        s.text = word().left(1 + pick(2));
        s.text2 = pick(3) == 0 ? QString() : word();
    } else if (roll < 83) {
        s.action = StepAction::Drop;
        s.c = pick(3);
        s.text = s.c == 1 ? tableText(false) : QString();
    } else if (roll < 86) {
        s.action = StepAction::Paste;
        s.c = pick(40) == 0 ? 3 : pick(3);
        if (s.c != 3) {
            s.text = tableText(s.c == 1);
            s.text2 = s.c == 2 ? tableText(true) : QString();
        }
    } else if (roll < 92) {
        s.action = StepAction::Panel;
        s.a = pick(3);
    } else if (roll < 97) {
        s.action = StepAction::Save;
        s.a = pick(2);
        s.b = pick(3);
    } else {
        s.action = StepAction::Kill;
    }
    return s;
}

} // namespace vornak::testing
