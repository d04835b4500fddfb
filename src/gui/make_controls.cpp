#include "make_controls.h"

namespace verrimo {

TLabel* makeLabel(const QString& name, const QString& caption, QWidget* parent, QRect place) {
    auto* label = new TLabel(name, caption, parent);
    label->setGeometry(place);
    return label;
}

TEdit* makeEdit(const QString& name, const QString& text, QWidget* parent, QRect place) {
    auto* edit = new TEdit(name, parent);
    edit->setText(text);
    edit->setGeometry(place);
    return edit;
}

TComboBox* makeCombo(const QString& name, const std::vector<std::string_view>& items,
                     QWidget* parent, QRect place) {
    auto* box = new TComboBox(name, parent);
    box->SetItems({items.begin(), items.end()});
    box->setGeometry(place);
    return box;
}

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent, QRect place) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(place);
    return button;
}

void nameBoxEdits(QWidget* window) {
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    for (TComboBox* box : window->findChildren<TComboBox*>()) {
        QString name = box->accessibleName();
        for (const QLabel* label : labels)
            if (name.isEmpty() && label->buddy() == box) name = label->text();
        box->lineEdit()->setAccessibleName(name);
    }
}

}  // namespace verrimo
