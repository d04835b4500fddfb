// Controls whose texts are the program's byte strings. Each converts at the widget boundary so
// that whatever bytes go in come back out unchanged.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <string>
#include <string_view>
#include <vector>

namespace verrimo {

class TLabel : public QLabel {
  public:
    TLabel(const QString& name, const QString& caption, QWidget* parent);
    std::string Text() const;
    void SetText(std::string_view bytes);
};

class TEdit : public QLineEdit {
  public:
    TEdit(const QString& name, QWidget* parent);
    std::string Text() const;
    void SetText(std::string_view bytes);
};

// An editable combo box: a text the user may type, and an item list.
class TComboBox : public QComboBox {
  public:
    TComboBox(const QString& name, QWidget* parent);
    std::string Text() const;
    void SetText(std::string_view bytes);
    std::vector<std::string> Items() const;
    void SetItems(const std::vector<std::string>& items);
    void AddItem(std::string_view bytes);
};

// A multi-line text: lines separated by CR LF.
class TMemo : public QPlainTextEdit {
  public:
    TMemo(const QString& name, QWidget* parent);
    std::string Text() const;
    void SetText(std::string_view bytes);
    std::vector<std::string> Lines() const;
    // The add-line rule, appended at the end without rebuilding the document.
    void AddLine(std::string_view line);
};

}  // namespace verrimo
