// A label that answers a click with a signal, for a line of text that leads somewhere.
#pragma once

#include <QLabel>

namespace verrimo {

class ClickableLabel : public QLabel {
    Q_OBJECT

  public:
    ClickableLabel(const QString& name, QWidget* parent);

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace verrimo
