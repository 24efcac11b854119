// The editor's manual page against the editor's own command line: every option its --help names
// and every exit status it lists must be in the page. (The keys are checked against the running
// editor's actions by the installed-tree probe.)
#include "EditorCommandLine.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using vornak::EditorCommandLine;

namespace {

// The page's text with the escapes a reader never sees undone.
QString pageText() {
    QFile file(QStringLiteral(VORNAK_MANUAL_DIR "/vornak.1.in"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"))
        .replace(QStringLiteral("\\(dq"), QStringLiteral("\""));
    return text;
}

QString section(const QString& page, const QString& name) {
    const qsizetype start = page.indexOf(QStringLiteral(".SH ") + name + QLatin1Char('\n'));
    if (start < 0) {
        return {};
    }
    const qsizetype end = page.indexOf(QStringLiteral("\n.SH "), start + 1);
    return page.mid(start, end < 0 ? -1 : end - start);
}

bool namesWord(const QString& text, const QString& word) {
    return text.contains(QRegularExpression(QStringLiteral("(^|[^A-Za-z0-9-])") +
                                            QRegularExpression::escape(word) +
                                            QStringLiteral("($|[^A-Za-z0-9-])")));
}

TEST(EditorManualPage, NamesEveryOptionAndExitStatusOfTheHelp) {
    const QString page = pageText();
    ASSERT_FALSE(page.isEmpty()) << "the manual page was not found";
    const QString help =
        EditorCommandLine::helpText(QStringLiteral("vornak"), QStringLiteral("/x/vornak.conf"));
    const QString options = section(page, QStringLiteral("OPTIONS"));

    // Every option line of the help ("  -h, --help  ...", "  --  ...").
    QStringList named;
    const QRegularExpression optionLine(QStringLiteral("^  (-[^ ]*(, -[^ ]*)*)  "),
                                        QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& match : optionLine.globalMatch(help)) {
        named << match.captured(1).split(QStringLiteral(", "));
    }
    for (const EditorCommandLine::Option& option : EditorCommandLine::editorOptions()) {
        for (const QString& name : option.names) {
            const QString spelled = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
            EXPECT_TRUE(named.contains(spelled)) << "the help does not list " << spelled.toStdString();
        }
    }
    ASSERT_TRUE(named.contains(QStringLiteral("--")));
    for (const QString& option : named) {
        EXPECT_TRUE(namesWord(options, option)) << "OPTIONS does not name " << option.toStdString();
    }

    // "Exit status: 0 when ..., 1 when ..., 2 for ...".
    const qsizetype from = help.indexOf(QStringLiteral("Exit status:"));
    ASSERT_GE(from, 0);
    const QString sentence = help.mid(from, help.indexOf(QLatin1Char('.'), from) - from);
    const QString statuses = section(page, QStringLiteral("EXIT STATUS"));
    int listed = 0;
    for (const QRegularExpressionMatch& match :
         QRegularExpression(QStringLiteral("[:,] ([0-9]+) ")).globalMatch(sentence)) {
        ++listed;
        EXPECT_TRUE(statuses.contains(QStringLiteral(".B ") + match.captured(1) + QLatin1Char('\n')))
            << "EXIT STATUS does not name " << match.captured(1).toStdString();
    }
    EXPECT_EQ(listed, 3) << sentence.toStdString();
}

} // namespace
