// Keys that edit the expression text without computing it. Each works on the end of the
// text, whatever the caret and the selection in the box.
#include "app/form1.h"

#include <QComboBox>
#include <QLineEdit>

void Form1::appendToExpression(QLatin1StringView tail) {
    ExpressionCombo->setEditText(ExpressionCombo->currentText() + tail);
}

void Form1::NumberButton_Click(qint16 Index) {
    const char digit[] = {static_cast<char>('0' + Index), '\0'};
    appendToExpression(QLatin1StringView(digit));
}

void Form1::ButtonPlus_Click() {
    appendToExpression(QLatin1StringView("+"));
}
void Form1::ButtonMinus_Click() {
    appendToExpression(QLatin1StringView("-"));
}
void Form1::ButtonMult_Click() {
    appendToExpression(QLatin1StringView("*"));
}
void Form1::ButtonDiv_Click() {
    appendToExpression(QLatin1StringView("/"));
}
void Form1::ButtonE_Click() {
    appendToExpression(QLatin1StringView("e"));
}
void Form1::ButtonLPar_Click() {
    appendToExpression(QLatin1StringView("("));
}
void Form1::ButtonRPar_Click() {
    appendToExpression(QLatin1StringView(")"));
}
void Form1::ButtonDot_Click() {
    appendToExpression(QLatin1StringView("."));
}

void Form1::ButtonXtoY_Click() {
    ExpressionCombo->setEditText("pow (" + ExpressionCombo->currentText() + ",");
    ExpressionCombo->setFocus();
}

void Form1::ButtonBS_Click() {
    QString text = ExpressionCombo->currentText();
    // A character typed outside the basic plane is two 16-bit units: remove both halves.
    const bool pair = text.size() >= 2 && text.back().isLowSurrogate() &&
                      text.at(text.size() - 2).isHighSurrogate();
    text.chop(pair ? 2 : 1); // an empty text stays empty
    ExpressionCombo->setEditText(text);
}

void Form1::ClearButton_Click() {
    ExpressionCombo->setEditText(QString());
    Status->setText(QString());
}
