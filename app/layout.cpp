// The window's controls, one row each in tab order: the single source for creating, placing,
// naming, connecting and ordering them.
#include "app/form1.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QSize>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionFrame>

#include <algorithm>

namespace {
using K = Form1::ControlKind;

// A line edit keeps a pixel between its text and its frame, above and below (Qt's own margin,
// which no style changes).
constexpr int LineEditMargin = 1;

int metric(const QWidget* widget, QStyle::PixelMetric which, const QStyleOption& option) {
    return widget->style()->pixelMetric(which, &option, widget);
}

// What a control needs, in pixels, to show its caption or a line of text whole in its style and
// font: the text's extent and what the style draws around it. Not the style's size hint, which
// adds room a style likes to have (Fusion asks 80 pixels for any captioned key).
QSize neededSize(const Form1::ControlRow& row, QWidget* widget) {
    widget->ensurePolished(); // a style may set its own font and metrics when it polishes
    // Measured as the toolkit measures captions for its own size hints.
    const QFontMetrics font(widget->font());
    const int caption = font.horizontalAdvance(QLatin1StringView(row.caption));
    const int line = font.height();
    switch (row.kind) {
    case K::PushButton:
    case K::DefaultButton: {
        QStyleOptionButton option;
        option.initFrom(widget);
        // The caption stands inside the frame, and inside the mark that some styles draw
        // around a key Enter may click. The style's button margin is room its size hint asks
        // for around a caption, which no style keeps clear when it draws one.
        int inset = metric(widget, QStyle::PM_DefaultFrameWidth, option);
        if (static_cast<const QPushButton*>(widget)->autoDefault()) {
            inset += metric(widget, QStyle::PM_ButtonDefaultIndicator, option);
        }
        return {caption + 2 * inset, line + 2 * inset};
    }
    case K::OptionButton: {
        QStyleOptionButton option;
        option.initFrom(widget);
        return {metric(widget, QStyle::PM_ExclusiveIndicatorWidth, option) +
                    metric(widget, QStyle::PM_RadioButtonLabelSpacing, option) + caption,
                std::max(metric(widget, QStyle::PM_ExclusiveIndicatorHeight, option), line)};
    }
    case K::ComboBox: {
        QStyleOptionComboBox option;
        option.initFrom(widget);
        option.editable = true;
        const int text =
            line + 2 * (LineEditMargin + metric(widget, QStyle::PM_ComboBoxFrameWidth, option));
        // The drop-down arrow within the frame, and a pixel more: a style may draw the box flat,
        // without frame or arrow, where the two only just fit.
        const int arrow = metric(widget, QStyle::PM_MenuButtonIndicator, option) +
                          2 * metric(widget, QStyle::PM_DefaultFrameWidth, option) + 1;
        return {0, std::max(text, arrow)};
    }
    case K::TextBox: {
        QStyleOptionFrame option;
        option.initFrom(widget);
        return {0,
                line + 2 * (LineEditMargin + metric(widget, QStyle::PM_DefaultFrameWidth, option))};
    }
    }
    return {};
}
} // namespace

double Form1::scaleFor(std::span<QWidget* const> controls) {
    double scale = 1;
    const std::span<const ControlRow> rows = controlTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QSize need = neededSize(rows[i], controls[i]);
        // Each edge is rounded on its own, and a size that covers a need of whole pixels keeps
        // all of it through that rounding.
        scale = std::max({scale, double(need.width()) * TwipsPerPixel / rows[i].width,
                          double(need.height()) * TwipsPerPixel / rows[i].height});
    }
    return scale;
}

int Form1::pixels(int twips, double scale) {
    return qRound(twips * scale / TwipsPerPixel);
}

void Form1::placeControls(std::span<QWidget* const> controls) {
    client_->setFixedSize(pixels(ClientWidthTwips, scale_), pixels(ClientHeightTwips, scale_));
    const std::span<const ControlRow> rows = controlTable();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ControlRow& row = rows[i];
        // Each edge is converted on its own, so that neighbours keep their gaps at any scale.
        const int left = pixels(row.left, scale_);
        const int top = pixels(row.top, scale_);
        controls[i]->setGeometry(left, top, pixels(row.left + row.width, scale_) - left,
                                 pixels(row.top + row.height, scale_) - top);
    }
}

std::span<const Form1::ControlRow> Form1::controlTable() {
    // clang-format off
    static constexpr ControlRow table[] = {
        {"CommandCompute",  -1, K::DefaultButton, "=",    120, 3000, 2055, 375, "equals", &Form1::CommandCompute_Click},
        {"NumberButton",     0, K::PushButton,    "0",    120, 2400,  615, 375, "zero",   &Form1::NumberButton_Click},
        {"NumberButton",     1, K::PushButton,    "1",    120, 1920,  615, 375, "one",    &Form1::NumberButton_Click},
        {"NumberButton",     2, K::PushButton,    "2",    840, 1920,  615, 375, "two",    &Form1::NumberButton_Click},
        {"NumberButton",     3, K::PushButton,    "3",   1560, 1920,  615, 375, "three",  &Form1::NumberButton_Click},
        {"NumberButton",     4, K::PushButton,    "4",    120, 1440,  615, 375, "four",   &Form1::NumberButton_Click},
        {"NumberButton",     5, K::PushButton,    "5",    840, 1440,  615, 375, "five",   &Form1::NumberButton_Click},
        {"NumberButton",     6, K::PushButton,    "6",   1560, 1440,  615, 375, "six",    &Form1::NumberButton_Click},
        {"NumberButton",     7, K::PushButton,    "7",    120,  960,  615, 375, "seven",  &Form1::NumberButton_Click},
        {"NumberButton",     8, K::PushButton,    "8",    840,  960,  615, 375, "eight",  &Form1::NumberButton_Click},
        {"NumberButton",     9, K::PushButton,    "9",   1560,  960,  615, 375, "nine",   &Form1::NumberButton_Click},
        {"ButtonDot",       -1, K::PushButton,    ".",    840, 2400,  615, 375, "decimal point", &Form1::ButtonDot_Click},
        {"ButtonE",         -1, K::PushButton,    "e",   1560, 2400,  615, 375, "exponent", &Form1::ButtonE_Click},
        {"ButtonBS",        -1, K::PushButton,    "C",   2640,  960,  495, 255, "backspace", &Form1::ButtonBS_Click},
        {"ClearButton",     -1, K::PushButton,    "AC",  3240,  960,  495, 255, "clear all", &Form1::ClearButton_Click},
        {"ButtonPlus",      -1, K::PushButton,    "+",   2640, 1320,  495, 255, "plus",   &Form1::ButtonPlus_Click},
        {"ButtonDiv",       -1, K::PushButton,    "/",   3240, 1320,  495, 255, "divided by", &Form1::ButtonDiv_Click},
        {"ButtonMult",      -1, K::PushButton,    "*",   2640, 1680,  495, 255, "times",  &Form1::ButtonMult_Click},
        {"ButtonMinus",     -1, K::PushButton,    "-",   3240, 1680,  495, 255, "minus",  &Form1::ButtonMinus_Click},
        {"ButtonLPar",      -1, K::PushButton,    "(",   2640, 2040,  495, 255, "open parenthesis", &Form1::ButtonLPar_Click},
        {"ButtonRPar",      -1, K::PushButton,    ")",   3240, 2040,  495, 255, "close parenthesis", &Form1::ButtonRPar_Click},
        {"ButtonUnary",      0, K::PushButton,    "sin", 2640, 2400,  495, 255, "sine",   &Form1::ButtonUnary_Click},
        {"ButtonUnary",     10, K::PushButton,    "asin",3240, 2400,  495, 255, "arc sine", &Form1::ButtonUnary_Click},
        {"ButtonUnary",      1, K::PushButton,    "cos", 2640, 2760,  495, 255, "cosine", &Form1::ButtonUnary_Click},
        {"ButtonUnary",     11, K::PushButton,    "acos",3240, 2760,  495, 255, "arc cosine", &Form1::ButtonUnary_Click},
        {"ButtonUnary",      2, K::PushButton,    "tan", 2640, 3120,  495, 255, "tangent", &Form1::ButtonUnary_Click},
        {"ButtonUnary",     12, K::PushButton,    "atan",3240, 3120,  495, 255, "arc tangent", &Form1::ButtonUnary_Click},
        {"OptionDegRad",     0, K::OptionButton,  "Deg", 4680,  120,  615, 255, "degrees", &Form1::OptionDegRad_Click},
        {"OptionDegRad",     1, K::OptionButton,  "Rad", 3960,  120,  615, 255, "radians", &Form1::OptionDegRad_Click},
        {"ButtonUnary",      9, K::PushButton,    "x^2", 4080,  960,  495, 255, "square", &Form1::ButtonUnary_Click},
        {"ButtonUnary",      8, K::PushButton,    "sqrt",4680,  960,  495, 255, "square root", &Form1::ButtonUnary_Click},
        {"ButtonXtoY",      -1, K::PushButton,    "x^y", 4080, 1320,  495, 255, "power", &Form1::ButtonXtoY_Click},
        {"ButtonRoot",      -1, K::PushButton,    "root",4680, 1320,  495, 255, "root", {}},
        {"ButtonUnary",      6, K::PushButton,    "exp", 4080, 1680,  495, 255, "e to the power", &Form1::ButtonUnary_Click},
        {"ButtonUnary",      4, K::PushButton,    "ln",  4680, 1680,  495, 255, "natural logarithm", &Form1::ButtonUnary_Click},
        {"ButtonUnary",      7, K::PushButton,    "10^x",4080, 2040,  495, 255, "ten to the power", &Form1::ButtonUnary_Click},
        {"ButtonUnary",      5, K::PushButton,    "log", 4680, 2040,  495, 255, "common logarithm", &Form1::ButtonUnary_Click},
        {"ExpressionCombo", -1, K::ComboBox,      "",       0,  480, 3615, 315, "Expression", {}},
        {"Status",          -1, K::TextBox,       "",       0,    0, 3615, 375, "status", {}},
        {"OptionDegRad",     2, K::OptionButton,  "Grad",3960,  480,  855, 255, "grads", &Form1::OptionDegRad_Click},
    };
    // clang-format on
    return table;
}
