// What the main form's tests share: the form built on scripted platform services and a fresh
// document, shown and active on the offscreen platform; typing helpers that carry any character;
// and a check that the three lists, the parameter controls and the model agree.
#pragma once

#include "CellGrid.h"
#include "ChecksController.h"
#include "ChecksPresenter.h"
#include "DefinitionDocument.h"
#include "DocumentController.h"
#include "GridEdit.h"
#include "MainWindow.h"
#include "ParameterPanel.h"
#include "RecentFileList.h"
#include "ReportDefinition.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedMessageBox.h"
#include "ScriptedShellOpener.h"
#include "SettingsStore.h"
#include "TextCodec.h"
#include "Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>

namespace vornak::testing {

// The title as the window system shows it: Qt's placeholder becomes "*" while the document has
// unsaved changes and disappears otherwise.
inline QString shownTitle(const QWidget& window) {
    QString title = window.windowTitle();
    return title.replace(QStringLiteral("[*]"), window.isWindowModified() ? QStringLiteral("*") : QString());
}

// What a grid shows in a cell, and how many rows it has: the view's model is all it shows.
inline QString cellText(const CellGrid* grid, int row, int column) {
    return grid->model()->index(row, column).data().toString();
}

inline int rowCount(const CellGrid* grid) {
    return grid->model() != nullptr ? grid->model()->rowCount() : 0;
}

inline std::string bytes(const QString& text) {
    return TextCodec::encode(text);
}

inline QString shown(const std::string& modelText) {
    return TextCodec::decode(modelText);
}

// Sends one character (any character, Cyrillic included) as a key press with that text.
inline void typeCharacter(QWidget* target, const QString& character) {
    QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, character, Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, character, Qt::NoModifier);
}

inline void typeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        typeCharacter(target, QString(c));
    }
}

// A key press aimed at a widget as the platform delivers it: first offered to the shortcuts
// (which the focused widget may claim), then to the widget; autoRepeat marks the repeats of a held
// key. The modifiers then go up too, as on a keyboard: the application takes its idea of the held
// modifiers from the last key event, and a Ctrl left held would turn a later selection in any test
// into a Ctrl-click.
inline void pressKey(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                     bool autoRepeat = false) {
    if (!qt_sendShortcutOverrideEvent(target, 0, key, modifiers, QString(), autoRepeat)) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(target, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(target, &release);
    const std::pair<Qt::KeyboardModifier, Qt::Key> modifierKeys[] = {{Qt::ControlModifier, Qt::Key_Control},
                                                                     {Qt::ShiftModifier, Qt::Key_Shift},
                                                                     {Qt::AltModifier, Qt::Key_Alt},
                                                                     {Qt::MetaModifier, Qt::Key_Meta}};
    Qt::KeyboardModifiers held = modifiers;
    for (const auto& [modifier, modifierKey] : modifierKeys) {
        if (held.testFlag(modifier)) {
            held.setFlag(modifier, false);
            // As the platform's (spontaneous) event, which is what the application's idea follows.
            QTest::sendKeyEvent(QTest::Release, target, modifierKey, QString(), held);
        }
    }
}

// The form's state in one fixture.
class FormTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        settings = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("vornak.conf")));
        services = PlatformServices{&fileDialogs, &messages, settings.get(), &shell};
    }

    void TearDown() override {
        if (form) {
            form->hide();
            form.reset();
        }
    }

    // Builds and shows the form (which initialises it) and waits until it is active.
    // The command line is given as text here and reaches the form as the system's bytes; a file
    // it names is opened once the window is shown, which this waits for.
    template <typename Form = MainWindow> Form& start(const QStringList& commandLine = {}) {
        QList<QByteArray> arguments;
        for (const QString& argument : commandLine) {
            arguments.append(QFile::encodeName(argument));
        }
        return startWithBytes<Form>(arguments);
    }

    template <typename Form = MainWindow> Form& startWithBytes(const QList<QByteArray>& commandLine) {
        auto owned = std::make_unique<Form>(document, services, recentFiles, commandLine);
        Form& ref = *owned;
        form = std::move(owned);
        // The checks run as soon as the queued events have: the tests read the count after those.
        if (auto* checks = form->template findChild<ChecksController*>()) {
            checks->setDelay(std::chrono::milliseconds(0));
        }
        form->show();
        activate();
        QApplication::processEvents();
        return ref;
    }

    void activate() {
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // The form's controls by object name ("titleEdit", "addValueButton").
    QLineEdit* edit(const QString& name) const { return form->findChild<QLineEdit*>(name); }
    QAbstractButton* button(const QString& name) const { return form->findChild<QAbstractButton*>(name); }
    CellGrid* parameters() const { return form->parameterGrid(); }
    CellGrid* values() const { return form->parameterPanel().valueList(); }
    CellGrid* results() const { return form->resultGrid(); }

    // Clicks a button, radio or check box as the user does.
    void click(const QString& name) const {
        QAbstractButton* b = button(name);
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
    }

    // Selects a parameter row as a mouse click on its number cell does.
    void clickParameterRow(int row) const {
        const QRect cell = parameters()->visualRect(parameters()->model()->index(row, 0));
        QTest::mouseClick(parameters()->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }

    // Makes the document hold d, as read from a file (titled, nothing to undo).
    void load(const ReportDefinition& d, const QString& fileName = QStringLiteral("loaded.rpt")) {
        const QString path = dir.filePath(fileName);
        ASSERT_TRUE(d.save(TextCodec::encodePath(path)));
        ASSERT_TRUE(document.open(TextCodec::encodePath(path)));
        QApplication::processEvents();
    }

    // Opens the editor on a cell, replaces its text and confirms (Enter) or cancels (Escape).
    void editCell(CellGrid* grid, int row, int column, const QString& text, bool confirm = true) const {
        GridEdit* box = grid->editCell(row, column);
        ASSERT_NE(box, nullptr) << "no editor on row " << row << " column " << column;
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        typeText(box, text);
        QTest::keyClick(box, confirm ? Qt::Key_Return : Qt::Key_Escape);
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> settings;
    ScriptedFileDialogs fileDialogs;
    ScriptedMessageBox messages;
    ScriptedShellOpener shell;
    PlatformServices services;
    DefinitionDocument document;
    const ReportDefinition& model = document.definition(); // the one copy, read only
    RecentFileList recentFiles;
    std::unique_ptr<MainWindow> form;
};

// Everything the lists and the parameter controls show, compared with the model; an empty text
// when they agree, otherwise what differs.
inline std::string disagreement(const MainWindow& form) {
    std::ostringstream out;
    const ReportDefinition& model = form.document().definition();
    const CellGrid* parameters = form.parameterGrid();
    const CellGrid* values = form.parameterPanel().valueList();
    const CellGrid* results = form.resultGrid();

    const auto expect = [&out](const QString& seen, const QString& wanted, const char* where, int row,
                               int column) {
        if (seen != wanted) {
            out << where << " row " << row << " column " << column << ": shows \"" << seen.toStdString()
                << "\", model has \"" << wanted.toStdString() << "\"\n";
        }
    };

    if (rowCount(parameters) != static_cast<int>(model.parameters.size())) {
        out << "parameter list has " << rowCount(parameters) << " rows, model " << model.parameters.size()
            << "\n";
    } else {
        for (int i = 0; i < rowCount(parameters); ++i) {
            expect(cellText(parameters, i, 0), QString::number(i + 1), "parameters", i, 0);
            expect(cellText(parameters, i, 1), shown(model.parameters[static_cast<std::size_t>(i)].name),
                   "parameters", i, 1);
        }
    }
    if (rowCount(results) != static_cast<int>(model.results.size())) {
        out << "result list has " << rowCount(results) << " rows, model " << model.results.size() << "\n";
    } else {
        for (int i = 0; i < rowCount(results); ++i) {
            const ResultRow& r = model.results[static_cast<std::size_t>(i)];
            expect(cellText(results, i, 0), QString::number(i + 1), "results", i, 0);
            expect(cellText(results, i, 1), shown(r.name), "results", i, 1);
            expect(cellText(results, i, 2), shown(r.result), "results", i, 2);
        }
    }

    const int current = form.parameterPanel().shownParameter();
    if (current < 0 || current >= static_cast<int>(model.parameters.size())) {
        if (rowCount(values) != 0) {
            out << "no current parameter, yet the value list has " << rowCount(values) << " rows\n";
        }
        return out.str();
    }
    const ParameterRecord& p = model.parameters[static_cast<std::size_t>(current)];
    const auto kind = static_cast<std::uint8_t>(p.kind);
    const int expectedColumns = kind == 1 ? 3 : kind <= 2 ? 2 : 0;
    if (values->model()->columnCount() != expectedColumns) {
        out << "value list has " << values->model()->columnCount() << " columns for kind " << int(kind)
            << "\n";
    }
    const int expectedRows = kind <= 2 ? static_cast<int>(p.values.size()) : 0;
    if (rowCount(values) != expectedRows) {
        out << "value list has " << rowCount(values) << " rows, parameter " << current + 1 << " has "
            << p.values.size() << " (kind " << int(kind) << ")\n";
    } else {
        for (int i = 0; i < expectedRows; ++i) {
            const ValueRow& v = p.values[static_cast<std::size_t>(i)];
            expect(cellText(values, i, 0), shown(v.value), "values", i, 0);
            if (kind == 1) {
                expect(cellText(values, i, 1), shown(v.upperBound), "values", i, 1);
                expect(cellText(values, i, 2), shown(v.result), "values", i, 2);
            } else {
                expect(cellText(values, i, 1), shown(v.result), "values", i, 1);
            }
        }
    }

    const auto* numberBox = form.findChild<const QCheckBox*>(QStringLiteral("numberCheck"));
    const auto* formulaBox = form.findChild<const QCheckBox*>(QStringLiteral("formulaCheck"));
    const auto* formulaEdit = form.findChild<const QLineEdit*>(QStringLiteral("formulaEdit"));
    const char* kindNames[3] = {"kindListRadio", "kindRangeRadio", "kindInputRadio"};
    for (int k = 0; k < 3; ++k) {
        const bool checked = form.findChild<const QRadioButton*>(QLatin1String(kindNames[k]))->isChecked();
        if (checked != (kind == k)) {
            out << "kind radio " << k << (checked ? " checked" : " not checked") << " for kind " << int(kind)
                << "\n";
        }
    }
    if (numberBox->isChecked() != (p.isNumber != 0)) {
        out << "number box does not match isNumber\n";
    }
    if (formulaBox->isChecked() != (p.hasFormula != 0)) {
        out << "formula box does not match hasFormula\n";
    }
    if (formulaEdit->isEnabled() != (p.hasFormula != 0)) {
        out << "formula edit enabled state does not match hasFormula\n";
    }
    expect(formulaEdit->text(), shown(p.formula), "formula", 0, 0);
    return out.str();
}

} // namespace vornak::testing
