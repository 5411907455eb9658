#pragma once

#include <QCheckBox>

namespace zerva {

// A check box whose Click runs whenever its value changes, whether the user
// clicked it or the program set the value (QCheckBox's own clicked() is not
// emitted for setChecked()).
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    enum Value { Unticked = 0, Ticked = 1, Greyed = 2 };

    explicit CheckBox(const QString& text, QWidget* parent = nullptr);

    int value() const;
    void setValue(int value);

Q_SIGNALS:
    void Click();
};

} // namespace zerva
