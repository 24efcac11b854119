// Thousands of random commands, clicks, keys, cell edits, undos and redos sent to the real form.
// After every step the lists and the parameter controls must agree with the model and the model
// must keep its invariants; at the end the definition is saved and read back, every step is undone
// (the file then equals the one saved at the start) and redone (it equals the final one).
//
// VORNAK_RANDOM_SEED picks the seed (the one used is printed on failure); VORNAK_RANDOM_STEPS the
// number of steps.
#include "../shell/FormHarness.h"

#include <QClipboard>
#include <QUndoStack>

#include <random>

namespace vornak::testing {
namespace {

QByteArray fileBytes(const QByteArray& path) {
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class RandomizedForm : public FormTest {
public:
    std::mt19937 random;

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
    bool chance(int percent) { return pick(100) < percent; }

    QString randomText() {
        static const QString alphabet =
            QStringLiteral("abcxyz0123456789 .,;:-+*/()#PRXNISTабвгдежзийклмнопрстуфхцчшщъыьэюяЁёЖЩ«»№—€");
        QString text;
        const int length = pick(8);
        for (int i = 0; i < length; ++i) {
            text += alphabet.at(pick(static_cast<int>(alphabet.size())));
        }
        return text;
    }

    // What must never get in.
    QString unfitText() {
        static const QString samples[] = {QStringLiteral("a\nb"), QStringLiteral("\r\n"),
                                          QStringLiteral("\U0001F600"), QStringLiteral("\u4E2D"),
                                          QStringLiteral("x\u2029")};
        return samples[pick(5)];
    }

    CellGrid* randomGrid() {
        switch (pick(3)) {
        case 0:
            return parameters();
        case 1:
            return values();
        default:
            return results();
        }
    }

    QWidget* randomFocusTarget() {
        switch (pick(6)) {
        case 0:
            return edit("titleEdit");
        case 1:
            return edit("dateEdit");
        case 2:
            return parameters();
        case 3:
            return values();
        case 4:
            return results();
        default:
            return button("addResultButton");
        }
    }

    // One random action; returns what it did, for the failure message.
    std::string step() {
        switch (pick(18)) {
        case 0: {
            static const char* const commands[] = {"addParameter", "deleteParameter", "addValue",
                                                   "deleteValue",  "addResult",       "deleteResult"};
            const char* c = commands[pick(6)];
            form->runCommand(QLatin1String(c));
            return "command " + std::string(c);
        }
        case 1: {
            static const char* const buttons[] = {"addParameterButton", "deleteParameterButton",
                                                  "addValueButton",     "deleteValueButton",
                                                  "addResultButton",    "deleteResultButton"};
            const char* b = buttons[pick(6)];
            if (button(QLatin1String(b))->isEnabled()) {
                click(QLatin1String(b));
            }
            return "button " + std::string(b);
        }
        case 2: {
            static const char* const radios[] = {"kindListRadio", "kindRangeRadio", "kindInputRadio"};
            const char* r = radios[pick(3)];
            if (button(QLatin1String(r))->isEnabled()) {
                click(QLatin1String(r));
            }
            return "radio " + std::string(r);
        }
        case 3: {
            const char* box = chance(50) ? "numberCheck" : "formulaCheck";
            if (button(QLatin1String(box))->isEnabled()) {
                click(QLatin1String(box));
            }
            return "check box " + std::string(box);
        }
        case 4: {
            QLineEdit* formula = edit("formulaEdit");
            if (formula->isEnabled()) {
                formula->setFocus();
                if (chance(30)) {
                    QTest::keyClick(formula, Qt::Key_Backspace);
                } else {
                    typeText(formula, randomText());
                }
            }
            return "formula typing";
        }
        case 5: {
            if (rowCount(parameters()) > 0) {
                const int row = pick(rowCount(parameters()));
                parameters()->ensureCellVisible(row, 0);
                clickParameterRow(row);
                return "click parameter row " + std::to_string(row);
            }
            return "click on an empty parameter list";
        }
        case 6:
        case 7: {
            CellGrid* grid = randomGrid();
            if (rowCount(grid) == 0 || grid->model()->columnCount() == 0) {
                return "edit in an empty list";
            }
            const int row = pick(rowCount(grid));
            const int column = pick(grid->model()->columnCount());
            GridEdit* box = grid->editCell(row, column);
            if (box == nullptr) {
                return "no editor on a fixed column";
            }
            box->selectAll();
            typeText(box, randomText());
            if (chance(15)) {
                QGuiApplication::clipboard()->setText(unfitText());
                QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            }
            static const Qt::Key endings[] = {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Tab,
                                              Qt::Key_Up,     Qt::Key_Down,   Qt::Key_Insert};
            const Qt::Key ending = endings[pick(6)];
            QTest::keyClick(box, ending, chance(30) ? Qt::ShiftModifier : Qt::NoModifier);
            QApplication::processEvents();
            // Sometimes the editor that navigation opened is left open for the next step.
            if (chance(50)) {
                QWidget* focus = QApplication::focusWidget();
                if (auto* next = qobject_cast<GridEdit*>(focus)) {
                    typeText(next, randomText());
                    QTest::keyClick(next, chance(50) ? Qt::Key_Return : Qt::Key_Escape);
                }
            }
            return "cell edit ending with key " + std::to_string(ending);
        }
        case 8: {
            QWidget* target = randomFocusTarget();
            target->setFocus();
            static const Qt::Key keys[] = {Qt::Key_F2, Qt::Key_F3, Qt::Key_F4};
            const Qt::Key key = keys[pick(3)];
            pressKey(target, key, Qt::NoModifier, chance(30));
            return "key " + std::to_string(key);
        }
        case 9: {
            static const char* const edits[] = {"titleEdit", "sourceEdit", "authorEdit", "documentFileEdit"};
            QLineEdit* e = edit(edits[pick(4)]);
            e->setFocus();
            if (chance(30)) {
                QGuiApplication::clipboard()->setText(unfitText());
                QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
            } else {
                typeText(e, randomText());
            }
            return "text edit typing";
        }
        case 10: {
            // Ctrl+click on the selected row takes its selection away.
            CellGrid* grid = randomGrid();
            const int row = grid->selectedRow();
            if (row >= 0) {
                grid->ensureCellVisible(row, 0);
                const QRect cell = grid->visualRect(grid->model()->index(row, 0));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cell.center());
            }
            return "ctrl+click on the selected row";
        }
        case 11: {
            // Type-to-edit on the focused row.
            CellGrid* grid = randomGrid();
            grid->setFocus();
            typeCharacter(grid, QStringLiteral("ж"));
            if (auto* box = qobject_cast<GridEdit*>(QApplication::focusWidget())) {
                QTest::keyClick(box, chance(70) ? Qt::Key_Return : Qt::Key_Escape);
            }
            return "type to edit";
        }
        case 12: {
            CellGrid* grid = chance(50) ? values() : results();
            if (rowCount(grid) > 0) {
                const int row = pick(rowCount(grid));
                grid->ensureCellVisible(row, 0);
                const QRect cell = grid->visualRect(grid->model()->index(row, 0));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
            }
            return "click a value or result row";
        }
        case 13:
        case 16: {
            // Undo or redo, by key from wherever the focus is, or from the menu's action.
            const bool undo = chance(60);
            if (chance(50)) {
                QWidget* target =
                    QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : form.get();
                pressKey(target, undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
            } else {
                form->runCommand(undo ? "editUndo" : "editRedo");
            }
            return undo ? "undo" : "redo";
        }
        case 17: {
            // Move up, move down or duplicate the selected record of the list last worked in.
            QWidget* target = randomFocusTarget();
            target->setFocus();
            static const char* const commands[] = {"editMoveUp", "editMoveDown", "editDuplicate"};
            const char* c = commands[pick(3)];
            form->runCommand(QLatin1String(c));
            return "command " + std::string(c);
        }
        case 14: {
            // Holding a key: a burst of auto-repeats.
            QWidget* target = randomFocusTarget();
            target->setFocus();
            const Qt::Key key = chance(50) ? Qt::Key_F3 : Qt::Key_F4;
            for (int i = 0, n = 1 + pick(5); i < n; ++i) {
                pressKey(QApplication::focusWidget(), key, Qt::NoModifier, i > 0);
            }
            return "held key";
        }
        default: {
            // Enter and Escape on whatever has the focus.
            QWidget* target =
                QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : form.get();
            QTest::keyClick(target, chance(50) ? Qt::Key_Return : Qt::Key_Escape);
            return "enter or escape";
        }
        }
    }

    std::string invariants() const {
        std::ostringstream out;
        for (std::size_t i = 0; i < model.parameters.size(); ++i) {
            const ParameterRecord& p = model.parameters[i];
            if (p.hasFormula == 0 && !p.formula.empty()) {
                out << "parameter " << i + 1 << " keeps a formula without the flag\n";
            }
            if (p.kind == ValueKind::Input && p.values.size() > 1) {
                out << "input parameter " << i + 1 << " has " << p.values.size() << " rows\n";
            }
            if (p.isNumber > 1 || p.hasFormula > 1) {
                out << "parameter " << i + 1 << " has a flag other than 0 or 1\n";
            }
        }
        const auto fits = [&out](const std::string& text, const char* what) {
            if (!fitsDefinitionFile(TextCodec::decode(text)) || text.find('\x1A') != std::string::npos) {
                out << what << " holds a text a file cannot\n";
            }
        };
        for (const ParameterRecord& p : model.parameters) {
            fits(p.name, "a name");
            fits(p.formula, "a formula");
            for (const ValueRow& v : p.values) {
                fits(v.value, "a value");
                fits(v.upperBound, "a bound");
                fits(v.result, "a result");
            }
        }
        for (const ResultRow& r : model.results) {
            fits(r.name, "a result name");
            fits(r.result, "a result");
        }
        return out.str();
    }
};

TEST_F(RandomizedForm, ListsAndModelAgreeAfterEveryStepAndTheFileReadsBack) {
    const unsigned seed = qEnvironmentVariableIsSet("VORNAK_RANDOM_SEED")
                              ? static_cast<unsigned>(qEnvironmentVariableIntValue("VORNAK_RANDOM_SEED"))
                              : 20261207u;
    const int steps = qEnvironmentVariableIsSet("VORNAK_RANDOM_STEPS")
                          ? qEnvironmentVariableIntValue("VORNAK_RANDOM_STEPS")
                          : 3000;
    random.seed(seed);
    start();
    // The start, as a file: undoing every step must give these bytes again.
    const QByteArray originalPath = QFile::encodeName(dir.filePath(QStringLiteral("original.rpt")));
    ASSERT_TRUE(form->documents().saveFile(originalPath));
    const QByteArray originalBytes = fileBytes(originalPath);
    ASSERT_FALSE(originalBytes.isEmpty());

    std::vector<std::string> history;
    for (int i = 0; i < steps; ++i) {
        history.push_back(step());
        // A step may have hidden the form's activation (a click outside it); bring it back.
        if (!form->isActiveWindow()) {
            activate();
        }
        ASSERT_TRUE(form->isVisible()) << "the form closed at step " << i << " (" << history.back() << ")";
        const std::string problem = disagreement(*form) + invariants();
        if (!problem.empty()) {
            std::ostringstream trail;
            for (std::size_t k = history.size() > 10 ? history.size() - 10 : 0; k < history.size(); ++k) {
                trail << "  " << k << ": " << history[k] << "\n";
            }
            FAIL() << "seed " << seed << ", step " << i << ":\n" << problem << "last steps:\n" << trail.str();
        }
    }

    // Close any editor left open, then save what the form shows and read it back.
    form->runGuarded([] {});
    ASSERT_EQ(disagreement(*form), "");
    const QByteArray finalPath = QFile::encodeName(dir.filePath(QStringLiteral("final.rpt")));
    ASSERT_TRUE(form->documents().saveFile(finalPath));
    ReportDefinition readBack;
    ASSERT_TRUE(readBack.load(finalPath.toStdString()))
        << readBack.loadError().reason << " at line " << readBack.loadError().line;
    EXPECT_TRUE(readBack == model) << "the file read back differs from what was saved";

    // Every step undone: views and model agree all the way back, and the file is the first one.
    QUndoStack* stack = document.undoStack();
    int undone = 0;
    while (stack->canUndo()) {
        form->runCommand("editUndo");
        ASSERT_EQ(disagreement(*form) + invariants(), "") << "after undoing " << ++undone << " steps";
    }
    EXPECT_EQ(stack->index(), 0);
    const QByteArray undonePath = QFile::encodeName(dir.filePath(QStringLiteral("undone.rpt")));
    ASSERT_TRUE(document.saveAs(undonePath.toStdString()));
    EXPECT_EQ(fileBytes(undonePath), originalBytes) << "after undoing " << undone << " steps";

    // Every step redone: the final file again.
    while (stack->canRedo()) {
        form->runCommand("editRedo");
        ASSERT_EQ(disagreement(*form) + invariants(), "") << "redoing";
    }
    const QByteArray redonePath = QFile::encodeName(dir.filePath(QStringLiteral("redone.rpt")));
    ASSERT_TRUE(document.saveAs(redonePath.toStdString()));
    EXPECT_EQ(fileBytes(redonePath), fileBytes(finalPath));

    // The definition read back shows in a second form exactly as the model holds it.
    DefinitionDocument otherDocument;
    RecentFileList otherRecent;
    MainWindow second(otherDocument, services, otherRecent, {finalPath});
    second.show();
    QApplication::processEvents();
    EXPECT_TRUE(otherDocument.definition() == readBack);
    EXPECT_EQ(disagreement(second), "");
    EXPECT_EQ(rowCount(second.parameterGrid()), rowCount(parameters()));
    EXPECT_EQ(rowCount(second.resultGrid()), rowCount(results()));
    second.hide();
}

} // namespace
} // namespace vornak::testing
