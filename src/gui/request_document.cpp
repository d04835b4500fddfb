#include "request_document.h"

#include <QTextCursor>
#include <QTextTable>

namespace verrimo {

namespace {

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Appends to the end of a document, a line or a table at a time.
class Writer {
  public:
    explicit Writer(QTextDocument& document) : cursor_(&document) {
        bold_.setFontWeight(QFont::Bold);
        table_.setHeaderRowCount(1);
        table_.setBorder(1);
        table_.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        table_.setBorderCollapse(true);
        table_.setCellSpacing(0);
        table_.setCellPadding(2);
        table_.setTopMargin(4);
        table_.setBottomMargin(4);
    }

    void line(const QString& text, bool bold = false) {
        if (!fresh_) cursor_.insertBlock();
        cursor_.insertText(text, bold ? bold_ : QTextCharFormat());
        fresh_ = false;
    }

    void fields(const std::vector<FieldView>& fields) {
        // The cursor starts in the first cell; each cell is one block, row by row.
        cursor_.insertTable(static_cast<int>(fields.size()) + 1, 3, table_);
        const auto cell = [this](const QString& text, const QTextCharFormat& format) {
            cursor_.insertText(text, format);
            cursor_.movePosition(QTextCursor::NextBlock);
        };
        cell("名前", bold_);
        cell("値", bold_);
        cell("送信される形", bold_);
        for (const FieldView& f : fields) {
            cell(utf8(f.name), {});
            cell(utf8(f.value), {});
            cell(utf8(f.sent), {});
        }
        // The block after the table is the next line's.
        cursor_.movePosition(QTextCursor::End);
        fresh_ = true;
    }

  private:
    QTextCursor cursor_;
    bool fresh_ = true;  // the cursor's block is empty and holds no line yet
    QTextCharFormat bold_;
    QTextTableFormat table_;
};

}  // namespace

void writeRequests(QTextDocument& document, const std::vector<StepView>& steps,
                   const QString& more) {
    document.clear();
    // Laid out once, when all is written.
    QTextCursor(&document).beginEditBlock();
    Writer out(document);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const StepView& step = steps[i];
        if (i > 0) out.line("");
        out.line(utf8(step.heading), true);
        for (const std::string& line : step.request) out.line(utf8(line));
        if (!step.fields.empty()) out.fields(step.fields);
        if (step.hasBody) {
            out.line("本文（送信されるとおり）", true);
            if (step.body.empty()) out.line("（空）");
            for (const std::string& line : step.body) out.line(utf8(line));
        }
        for (const std::string& note : step.notes) out.line(utf8(note));
    }
    if (!more.isEmpty()) {
        if (!steps.empty()) out.line("");
        out.line(more);
    }
    QTextCursor(&document).endEditBlock();
}

}  // namespace verrimo
