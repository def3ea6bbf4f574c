#pragma once

#include <QPushButton>

// A push button whose caption wraps onto several lines when it does not fit, as the captions of
// the system's buttons always have. text() stays the caption exactly as given ("&Help" shows its
// mnemonic underlined).
class WrappingButton final : public QPushButton
{
    Q_OBJECT

public:
    explicit WrappingButton(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
