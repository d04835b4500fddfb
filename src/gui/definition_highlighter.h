// Colours the definition text line by line and underlines what the checker warns about. Only
// changed lines are read again; a referrer line learns whether a target follows it from the
// line after it. The text itself is never touched.
#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <QTimer>
#include <array>
#include <cstddef>
#include <map>
#include <memory>

#include "definition_check.h"

namespace verrimo {

class DefinitionHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

  public:
    explicit DefinitionHighlighter(QObject* parent);

    // Warnings in the whole document as it was last coloured.
    std::size_t FindingCount() const { return *total_; }
    // The message of the warning under a document position; empty when there is none.
    QString MessageAt(int position) const;
    // Where the first warning after position starts, from the top again past the end; -1 when
    // there is none.
    int NextFinding(int position) const;
    // Where the definition no longer fits the loaded page: by line, underlined whole with the
    // others. Lines are the document's blocks.
    void SetPageFindings(std::map<int, QStringList> findings);

  signals:
    // The number of warnings changed; sent once the edits of a turn are coloured.
    void FindingsChanged();

  protected:
    void highlightBlock(const QString& text) override;

  private:
    enum Role { Plain, Keyword, Key, Equals, Value, Operand, HeldLine, kRoles };

    // Asks for the referrer line that this line answers to be coloured again, when its warning
    // about a missing target no longer fits.
    void RecheckReferrer(const QTextBlock& block);
    // Asks for the lines without "=" above this line to be coloured again where whether they
    // split a field line's value no longer fits: this line is of shape, `after` lines below a
    // field line.
    void RecheckSplits(const QTextBlock& block, LineShape shape, std::size_t after);
    void ReportLater();

    std::array<QTextCharFormat, kRoles> formats_;
    std::array<QTextCharFormat, kRoles> underlined_;
    std::map<int, QStringList> pageFindings_;
    std::shared_ptr<std::size_t> total_ = std::make_shared<std::size_t>(0);
    std::size_t reported_ = 0;
    QTimer report_;
};

}  // namespace verrimo
