// The preview's steps written into a text document: each step's lines, its fields as a table
// of name, value and what is sent, and its body as sent.
#pragma once

#include <QString>
#include <QTextDocument>
#include <vector>

#include "request_text.h"

namespace verrimo {

// Replaces what the document holds; more, when not empty, is a last line.
void writeRequests(QTextDocument& document, const std::vector<StepView>& steps,
                   const QString& more);

}  // namespace verrimo
