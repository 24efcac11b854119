// The printout of 5,000 parameters × 5 rows and 100 results to PDF, beside Qt printing a plain
// QTextDocument that holds the same text to PDF (the printout's own text: one paragraph for each
// heading, line and table row, a row's cells split by tabs).
#include "DefinitionPrintout.h"
#include "LargeDefinition.h"
#include "RatioReporter.h"

#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>

namespace {

constexpr std::size_t kParameters = 5000;

const vornak::ReportDefinition& definition() {
    static const vornak::ReportDefinition d = [] {
        vornak::ReportDefinition large = vornak::bench::makeLargeDefinition(kParameters, 5);
        large.results.resize(100, {"result", "#P(1)+#X(2)"});
        return large;
    }();
    return d;
}

void prepare(QPdfWriter& writer) {
    writer.setResolution(300);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
}

void BM_Pdf_Printout(benchmark::State& state) {
    QTemporaryDir dir;
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath(QStringLiteral("printout.pdf")));
        prepare(writer);
        vornak::DefinitionPrintout(definition(), QStringLiteral("large.rpt"), QDateTime::currentDateTime(), false)
            .print(writer);
    }
}

void BM_Pdf_PlainDocument(benchmark::State& state) {
    QTemporaryDir dir;
    const QString text =
        vornak::DefinitionPrintout(definition(), QStringLiteral("large.rpt"), QDateTime(), false).plainText();
    for (auto _ : state) {
        QPdfWriter writer(dir.filePath(QStringLiteral("plain.pdf")));
        prepare(writer);
        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 10));
        document.setPlainText(text);
        document.print(&writer);
    }
}

BENCHMARK(BM_Pdf_PlainDocument)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pdf_Printout)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    vornak::bench::RatioReporter reporter(
        vornak::bench::RatioReporter::Clock::Cpu,
        {{"PDF of 5,000 parameters: printout / plain QTextDocument", "BM_Pdf_PlainDocument/iterations:3",
          "BM_Pdf_Printout/iterations:3", 1.5}});
    return vornak::bench::runGuiBenchmarks(argc, argv, reporter);
}
