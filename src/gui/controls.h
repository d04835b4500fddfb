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

#include "shared_text.h"

namespace verrimo {

class FillQueue;

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

// A multi-line text: lines separated by CR LF. It keeps the bytes it was given and reads its
// document back only after something else has changed it. A big text goes into the document in
// slices between turns of the event loop, and only once the control can be seen, so that no
// window freezes while a huge page fills it.
class TMemo : public QPlainTextEdit {
  public:
    TMemo(const QString& name, QWidget* parent);
    ~TMemo() override;
    std::string Text() const;
    // The same bytes, without a copy.
    SharedText Bytes() const;
    void SetText(std::string_view bytes);
    void SetText(SharedText bytes);
    std::vector<std::string> Lines() const;
    // The add-line rule, appended at the end without rebuilding the document.
    void AddLine(std::string_view line);
    // Whether the document still lacks part of the text (it is read-only meanwhile).
    bool Filling() const { return filled_ < fillEnd_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    friend class FillQueue;

    void StartFill();
    // Puts slices into the document until the time budget is spent; true when it is complete.
    bool FillSlices(int budgetMs);
    void StopFill();
    void OnContentsChange();

    mutable SharedText bytes_;
    mutable bool stale_ = false;  // the document holds changes that bytes_ lacks
    std::size_t filled_ = 0;      // bytes of bytes_ in the document so far
    std::size_t fillEnd_ = 0;
    bool fillRunning_ = false;
    bool fillReadOnly_ = false;  // the read-only state to restore after a fill
    bool programmatic_ = false;
};

}  // namespace verrimo
