// Keeps the user's input away from the windows while a load runs.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace verrimo {

// While it lives, input reaches no window but `open`, and that one only once it is on the
// screen, so that a key pressed or a click made before it appeared cannot act on it.
class InputHold : public QObject {
  public:
    explicit InputHold(QWidget* open);
    ~InputHold() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool ReachesOpenWindow(QObject* watched) const;

    QPointer<QWidget> open_;
};

}  // namespace verrimo
