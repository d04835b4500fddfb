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

class CodePage;
class FillQueue;

// Every text control of the window shows its bytes again after the program's code page changed
// from `from`: the bytes stay, the characters they show change.
void keepControlBytes(const QWidget* window);
void recodeControls(QWidget* window, const CodePage& from);

// Q_OBJECT: windows find these among their children by type.
class TLabel : public QLabel {
    Q_OBJECT

  public:
    TLabel(const QString& name, const QString& caption, QWidget* parent);
    std::string Text() const;
    void SetText(std::string_view bytes);
    // Shows the same bytes in the program's code page, which was `from`; a caption of the
    // window's own, never set as bytes, stays as it is.
    void Recode(const CodePage& from);

  private:
    bool holdsBytes_ = false;
};

class TEdit : public QLineEdit {
    Q_OBJECT

  public:
    TEdit(const QString& name, QWidget* parent);
    std::string Text() const;
    void SetText(std::string_view bytes);
    void Recode(const CodePage& from);
};

// An editable combo box: a text the user may type, and an item list.
class ByteListModel;

// An editable combo box whose item list keeps the bytes it was given and shows each item only
// when it is drawn or searched, so that half a million targets go in at once.
class TComboBox : public QComboBox {
    Q_OBJECT

  public:
    TComboBox(const QString& name, QWidget* parent);
    std::string Text() const;
    void SetText(std::string_view bytes);
    std::vector<std::string> Items() const;
    void SetItems(std::vector<std::string> items);
    void Recode(const CodePage& from);

  private:
    ByteListModel* items_;
};

// A multi-line text: lines separated by CR LF. It keeps the bytes it was given and reads its
// document back only after something else has changed it. A big text goes into the document in
// slices between turns of the event loop, and only once the control can be seen, so that no
// window freezes while a huge page fills it.
class TMemo : public QPlainTextEdit {
    Q_OBJECT

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
    // Shows the same bytes again, in the program's code page; KeepBytes must have read them
    // back under the code page they were typed in.
    void Recode() { SetText(Bytes()); }
    void KeepBytes() const { Bytes(); }
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
