// Everything that closes the window or replaces the document first confirms an open cell edit:
// the close box and Alt+F4 (a close request), dropped files; and the paths they bring keep every
// byte of a file name, down to the file that is read and written.
#include "FormHarness.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWindow>

#include <fstream>
#include <iterator>

namespace vornak::testing {
namespace {

using EndingEdits = FormTest;

// Drops the URLs on the window as the platform delivers them and lets the queued open run.
void dropUrls(QWidget* window, const QPoint& at, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &drop);
    QApplication::processEvents();
}

std::string readRaw(const QByteArray& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(EndingEdits, ClosingWithACellEditorOpenKeepsWhatWasTyped) {
    // The close box and Alt+F4 reach the window as a close request: QWidget::close() and a bare
    // QCloseEvent both stand for them; the document may have been saved before or not.
    const struct {
        const char* how;
        bool closeEventOnly;
        bool modifiedBefore;
    } cases[] = {
        {"close(), unmodified", false, false},
        {"close(), modified", false, true},
        {"close event, unmodified", true, false},
        {"close event, modified", true, true},
    };
    int n = 0;
    for (const auto& c : cases) {
        start();
        if (c.modifiedBefore) {
            form->runCommand("addResult");
        }
        GridEdit* box = parameters()->editCell(0, 1);
        ASSERT_NE(box, nullptr) << c.how;
        box->selectAll();
        typeText(box, QStringLiteral("рост"));

        const QString path = dir.filePath(QStringLiteral("closed%1.rpt").arg(++n));
        messages.clear();
        messages.enqueue(MessageAnswer::Yes);
        fileDialogs.enqueue(path);
        if (c.closeEventOnly) {
            // As the window manager's close button sends it.
            QCloseEvent event;
            QApplication::sendEvent(form->windowHandle(), &event);
        } else {
            form->close();
        }
        QApplication::processEvents();

        // The typed text counted as a change, so the prompt asked, and the file holds it.
        ASSERT_EQ(messages.requests().size(), 1u) << c.how;
        EXPECT_EQ(messages.requests()[0].text, texts::savePromptText) << c.how;
        EXPECT_FALSE(form->isVisible()) << c.how;
        ReportDefinition saved;
        ASSERT_TRUE(saved.load(TextCodec::encodePath(path))) << c.how;
        ASSERT_FALSE(saved.parameters.empty());
        EXPECT_EQ(saved.parameters[0].name, bytes(QStringLiteral("рост"))) << c.how;
        form.reset();
    }
}

TEST_F(EndingEdits, ADropWithACellEditorOpenConfirmsTheEditFirst) {
    start();
    const QString other = dir.filePath(QStringLiteral("other.rpt"));
    ReportDefinition d;
    d.parameters.push_back(ParameterRecord{"p", "", ValueKind::List, 0, 0, {{"v", "", "r"}}});
    ASSERT_TRUE(d.save(TextCodec::encodePath(other)));

    GridEdit* box = values()->editCell(0, 0);
    ASSERT_NE(box, nullptr);
    box->selectAll();
    typeText(box, QStringLiteral("вес"));
    // Cancel at the prompt: the drop opens nothing, and the typed text is in the document.
    messages.enqueue(MessageAnswer::Cancel);
    dropUrls(form.get(), QPoint(form->width() - 3, form->height() - 3), {QUrl::fromLocalFile(other)});

    ASSERT_EQ(messages.requests().size(), 1u) << "the confirmed edit made the document modified";
    EXPECT_FALSE(values()->isEditing());
    EXPECT_EQ(model.parameters[0].values[0].value, bytes(QStringLiteral("вес")));
    EXPECT_TRUE(form->document().isModified());
    EXPECT_EQ(disagreement(*form), "");
}

TEST_F(EndingEdits, ANameWithAnyBytesOpensSavesAndStaysInTheRecentList) {
    // "bad\xff name.rpt": the byte 0xFF is no text in UTF-8.
    const QByteArray name = QByteArray("bad") + char(0xFF) + QByteArray(" name.rpt");
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
    {
        ReportDefinition d;
        d.title = "T";
        d.parameters.push_back(ParameterRecord{"p", "", ValueKind::List, 0, 0, {{"v", "", "r"}}});
        ASSERT_TRUE(d.save(path.toStdString()));
    }

    // From the command line.
    startWithBytes({path});
    EXPECT_TRUE(messages.requests().empty()) << "no error box";
    EXPECT_EQ(form->documents().currentNativePath(), path);
    EXPECT_EQ(model.parameters.size(), 1u);
    ASSERT_EQ(recentFiles.size(), 1);
    EXPECT_EQ(recentFiles.nativeAt(0), path);

    // Saving writes that very file.
    form->runCommand("addResult");
    form->runCommand("fileSave");
    EXPECT_TRUE(messages.requests().empty());
    ReportDefinition back;
    ASSERT_TRUE(back.load(path.toStdString()));
    EXPECT_EQ(back.results.size(), model.results.size());

    // The settings keep the name's bytes.
    ASSERT_TRUE(recentFiles.write(*settings));
    RecentFileList reread;
    reread.read(SettingsStore(dir.filePath(QStringLiteral("vornak.conf"))));
    ASSERT_EQ(reread.size(), 1);
    EXPECT_EQ(reread.nativeAt(0), path);
    form.reset();

    // Dropped: the URL carries the byte percent-encoded.
    MainWindow& f = start();
    ASSERT_TRUE(f.documents().currentNativePath().isEmpty());
    const QUrl url = QUrl::fromEncoded("file://" + path.toPercentEncoding("/"));
    ASSERT_TRUE(url.isLocalFile());
    dropUrls(&f, QPoint(f.width() - 3, f.height() - 3), {url});
    EXPECT_TRUE(messages.requests().empty()) << "no error box";
    EXPECT_EQ(f.documents().currentNativePath(), path);
    EXPECT_FALSE(readRaw(path).empty());
}

TEST_F(EndingEdits, AnUnreadableFileOnTheCommandLineIsReportedOverTheShownWindow) {
    // The box is shown with the form as its parent while the form is on screen (so it is centred
    // over it), and names the file with its full path.
    class WatchingBox : public ScriptedMessageBox {
    public:
        void showError(QWidget* parent, const QString& text, const QString& caption) override {
            parentShown = parent != nullptr && parent->isVisible();
            ScriptedMessageBox::showError(parent, text, caption);
        }
        bool parentShown = false;
    } box;
    services.messageBox = &box;
    const QString relative = QStringLiteral("no-such-folder/missing.rpt");
    start({relative});
    ASSERT_EQ(box.requests().size(), 1u);
    EXPECT_EQ(box.requests()[0].kind, MessageKind::Error);
    EXPECT_TRUE(box.parentShown);
    EXPECT_TRUE(box.requests()[0].text.contains(QDir::current().absoluteFilePath(relative)))
        << box.requests()[0].text.toStdString();
}

} // namespace
} // namespace vornak::testing
