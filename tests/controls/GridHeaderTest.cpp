// The grid's column header keeps pictures of its sections: whatever it shows must be what Qt's own
// header paints from the same sections, labels and states, before and after they change.
#include "GridHeader.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// Qt's header set up as the grid's is.
void likeTheGrid(QHeaderView& header) {
    header.setSectionsClickable(true);
    header.setSectionsMovable(false);
    header.setSortIndicatorShown(false);
    header.setHighlightSections(false);
    header.setStretchLastSection(true);
    header.setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header.setSectionResizeMode(QHeaderView::Interactive);
    header.setMinimumSectionSize(0);
}

class GridHeaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.setHorizontalHeaderLabels({QStringLiteral("Значение"), QStringLiteral("Результат"),
                                         QStringLiteral("Граница")});
        ours = new GridHeader(&window);
        qts = new QHeaderView(Qt::Horizontal, &window);
        likeTheGrid(*qts);
        for (QHeaderView* header : {static_cast<QHeaderView*>(ours), qts}) {
            header->setModel(&model);
            header->setGeometry(0, header == ours ? 0 : 40, 300, 24);
        }
        window.resize(320, 80);
        window.show();
        QApplication::processEvents();
    }

    // Both headers as they look now, each grabbed twice (drawn afresh, then from kept pictures).
    std::string difference() const {
        const QImage qt = qts->grab().toImage();
        for (int round = 0; round < 2; ++round) {
            if (ours->grab().toImage() != qt) {
                return "round " + std::to_string(round + 1) + " differs from Qt's header";
            }
        }
        return "";
    }

    QWidget window;
    QStandardItemModel model{1, 3};
    GridHeader* ours = nullptr;
    QHeaderView* qts = nullptr;
};

TEST_F(GridHeaderTest, SectionsLookAsQtPaintsThemWhateverChanges) {
    using HeaderChange = std::function<void(QHeaderView&)>;
    using ModelChange = std::function<void(QStandardItemModel&)>;
    const std::unique_ptr<QStyle> other(QStyleFactory::create(QStringLiteral("Windows")));
    ASSERT_NE(other, nullptr);
    const struct {
        const char* what;
        HeaderChange header; // made to each header
        ModelChange model;   // made once, to the model both show
    } steps[] = {
        {"as built", {}, {}},
        {"a label changed", {}, [](QStandardItemModel& m) { m.setHeaderData(1, Qt::Horizontal, QStringLiteral("Итог")); }},
        {"a section narrowed below its label", [](QHeaderView& h) { h.resizeSection(0, 30); }, {}},
        {"a section widened", [](QHeaderView& h) { h.resizeSection(0, 140); }, {}},
        {"a label aligned right", {},
         [](QStandardItemModel& m) {
             m.setHeaderData(2, Qt::Horizontal, int(Qt::AlignRight | Qt::AlignVCenter), Qt::TextAlignmentRole);
         }},
        {"another font",
         [](QHeaderView& h) {
             QFont font = h.font();
             font.setPointSize(font.pointSize() + 3);
             h.setFont(font);
         },
         {}},
        {"another text colour",
         [](QHeaderView& h) {
             QPalette palette = h.palette();
             palette.setColor(QPalette::ButtonText, Qt::darkRed);
             h.setPalette(palette);
         },
         {}},
        {"disabled", [](QHeaderView& h) { h.setEnabled(false); }, {}},
        {"enabled again", [](QHeaderView& h) { h.setEnabled(true); }, {}},
        {"the model reset with other labels", {},
         [](QStandardItemModel& m) {
             m.clear();
             m.setHorizontalHeaderLabels({QStringLiteral("Параметр"), QStringLiteral("№")});
         }},
        {"another style", [&other](QHeaderView& h) { h.setStyle(other.get()); }, {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.header) {
            step.header(*ours);
            step.header(*qts);
        }
        if (step.model) {
            step.model(model);
        }
        QApplication::processEvents();
        EXPECT_EQ(difference(), "");
    }
    for (QHeaderView* header : {static_cast<QHeaderView*>(ours), qts}) {
        header->setStyle(nullptr);
    }
}

// A pressed section looks pressed, and plain again once released.
TEST_F(GridHeaderTest, APressedSectionLooksAsQtPaintsIt) {
    const auto send = [](QHeaderView* header, QEvent::Type type, Qt::MouseButtons buttons) {
        const QPoint at(header->sectionViewportPosition(1) + 10, header->height() / 2);
        QMouseEvent event(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &event);
    };
    for (QHeaderView* header : {static_cast<QHeaderView*>(ours), qts}) {
        send(header, QEvent::MouseButtonPress, Qt::LeftButton);
    }
    QApplication::processEvents();
    EXPECT_EQ(difference(), "");
    for (QHeaderView* header : {static_cast<QHeaderView*>(ours), qts}) {
        send(header, QEvent::MouseButtonRelease, Qt::NoButton);
    }
    QApplication::processEvents();
    EXPECT_EQ(difference(), "");
}

} // namespace
