#include "app/form1.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/accessibility.h"
#include "app/fixed_size.h"
#include "evaluator/vexa.h"
#include "window_icon.h"

namespace {
// The expression box. Its drop-down list is built when it first opens: a list view costs
// start-up half a MiB of code for a list nobody sees yet.
class HistoryBox final : public QComboBox {
public:
    using QComboBox::QComboBox;

    void showPopup() override {
        // Every entry is one line in one font. Without uniform sizes the list measures every
        // entry each time it opens: seconds for a history of long texts.
        if (auto* list = qobject_cast<QListView*>(view())) {
            list->setUniformItemSizes(true);
        }
        QComboBox::showPopup();
    }
};

// The icon's images as compiled into the program (app/CMakeLists.txt).
QIcon compiledIcon() {
    QIcon icon;
    for (const window_icon::Image& image : window_icon::images) {
        icon.addPixmap(
            QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(image.pixels), image.width,
                                      image.height, QImage::Format_ARGB32)));
    }
    return icon;
}

QString fromU16(const std::u16string& text) {
    return QString::fromStdU16String(text);
}
} // namespace

Form1::Form1(std::unique_ptr<vexa::Vexa> evaluator, std::unique_ptr<Desktop> desktop,
             QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      Vexa1(std::move(evaluator)), desktop_(std::move(desktop)) {
    accessibility::install();
    setObjectName("Form1");
    setWindowTitle("Tarnicle");
    setWindowIcon(compiledIcon());
    setSizeGripEnabled(false);

    menuBar_ = new QMenuBar(this);
    mnuHelp = menuBar_->addAction("?");
    mnuHelp->setObjectName("mnuHelp");
    mnuHelp->setProperty("accessibleName", "Help"); // rather than "?"
    connect(mnuHelp, &QAction::triggered, this, [this] { deliver([this] { mnuHelp_Click(); }); });

    client_ = new QWidget(this);
    client_->setObjectName("client");
    const std::vector<QWidget*> controls = createControls();
    // The whole layout grows as much as the style and the font need, so that no caption is cut.
    scale_ = scaleFor(controls);
    placeControls(controls);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);
    frame->setMenuBar(menuBar_);
    frame->addWidget(client_);
    frame->setSizeConstraint(QLayout::SetFixedSize); // the layout never reacts to resizing
    FixedSize::keep(this);

    connectOptions();
    CommandCompute->setFocus();

    deliver([this] { Form_Load(); });
}

Form1::~Form1() = default;

std::vector<QWidget*> Form1::createControls() {
    std::vector<QWidget*> controls;
    QWidget* previous = nullptr;
    for (const ControlRow& row : controlTable()) {
        QWidget* widget = nullptr;
        switch (row.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefaultButton: {
            auto* button = new QPushButton(QString::fromLatin1(row.caption), client_);
            if (row.kind == ControlKind::DefaultButton) {
                button->setDefault(true);
                CommandCompute = button;
            }
            if (const auto* plain = std::get_if<PlainHandler>(&row.handler)) {
                connect(button, &QPushButton::clicked, this,
                        [this, h = *plain] { deliver([this, h] { (this->*h)(); }); });
            } else if (const auto* indexed = std::get_if<IndexedHandler>(&row.handler)) {
                const auto index = static_cast<qint16>(row.index);
                connect(button, &QPushButton::clicked, this, [this, h = *indexed, index] {
                    deliver([this, h, index] { (this->*h)(index); });
                });
            }
            widget = button;
            break;
        }
        case ControlKind::OptionButton: {
            auto* option = new QRadioButton(QString::fromLatin1(row.caption), client_);
            OptionDegRad.at(static_cast<std::size_t>(row.index)) = option;
            widget = option;
            break;
        }
        case ControlKind::ComboBox:
            ExpressionCombo = new HistoryBox(client_);
            // Editable; setEditable would also build the drop-down list, at start-up.
            ExpressionCombo->setLineEdit(new QLineEdit(ExpressionCombo));
            // The list is the history: only a successful computation adds to it, and the
            // default completer would complete inline and swallow Enter.
            ExpressionCombo->setInsertPolicy(QComboBox::NoInsert);
            ExpressionCombo->setCompleter(nullptr);
            ExpressionCombo->lineEdit()->setAccessibleName(QString::fromLatin1(row.spokenName));
            accessibility::nameByLabel(ExpressionCombo, QString::fromLatin1(row.spokenName));
            widget = ExpressionCombo;
            break;
        case ControlKind::TextBox: {
            Status = new QLineEdit(client_);
            Status->setReadOnly(true);
            matchStatusToWindow();
            // The line is narrower than many messages and would show their end: show each from
            // its first character, with the whole message as the tool tip.
            connect(Status, &QLineEdit::textChanged, Status,
                    [status = Status](const QString& text) {
                        status->setCursorPosition(0);
                        status->setToolTip(text);
                    });
            widget = Status;
            break;
        }
        }
        widget->setObjectName(QString::fromLatin1(row.name));
        if (row.index >= 0) {
            widget->setProperty("index", row.index);
        }
        widget->setAccessibleName(QString::fromLatin1(row.spokenName));
        if (previous != nullptr) {
            setTabOrder(previous, widget);
        }
        previous = widget;
        controls.push_back(widget);
    }
    return controls;
}

void Form1::connectOptions() {
    optionGroup_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < OptionDegRad.size(); ++i) {
        optionGroup_->addButton(OptionDegRad[i], static_cast<int>(i));
    }
    // Selecting an option from the program toggles it without a click; a click on the option
    // that is already selected clicks without a toggle. Either way the handler runs once.
    connect(optionGroup_, &QButtonGroup::idPressed, this, [this](int) { toggledOption_ = -1; });
    // The group is one tab stop, and Qt tabs to the option that last had the focus: make that
    // the selected one, so that Tab lands on (and a screen reader names) the unit in force.
    connect(optionGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        for (std::size_t i = 0; checked && i < OptionDegRad.size(); ++i) {
            OptionDegRad[i]->setFocusPolicy(static_cast<int>(i) == id ? Qt::StrongFocus
                                                                      : Qt::ClickFocus);
        }
    });
    connect(optionGroup_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            toggledOption_ = id;
            deliver([this, id] { OptionDegRad_Click(static_cast<qint16>(id)); });
        }
    });
    connect(optionGroup_, &QButtonGroup::idClicked, this, [this](int id) {
        if (toggledOption_ != id) {
            deliver([this, id] { OptionDegRad_Click(static_cast<qint16>(id)); });
        }
        toggledOption_ = -1;
    });
}

void Form1::matchStatusToWindow() {
    // Only the background is the line's own; every other colour follows the window's.
    QPalette own;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        own.setBrush(group, QPalette::Base, palette().brush(group, QPalette::Button));
    }
    Status->setPalette(own);
}

void Form1::changeEvent(QEvent* event) {
    // A new palette (a dark theme chosen while the program runs, another style) reaches the
    // window; the line's own background would keep the old colour.
    if (event->type() == QEvent::PaletteChange && Status != nullptr) {
        matchStatusToWindow();
    }
    QDialog::changeEvent(event);
}

void Form1::keyPressEvent(QKeyEvent* event) {
    // No key answers to Esc; closing the window is left to the window system.
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form1::showEvent(QShowEvent* event) {
    // Stand where the window system puts new windows. QDialog::showEvent would centre the
    // window, and WA_Moved, the other way to stop that, makes Qt ask the window manager for
    // the position 0,0 as if the user had chosen it.
    QWidget::showEvent(event);
}

void Form1::Form_Load() {
    try {
        Vexa1->Expressions().Add(u"Ex1", u"", u"");
        FunctionNames = {"sin",   "cos",  "tan",    "cot",  "log",  "log10", "exp",
                         "pow10", "sqrt", "square", "asin", "acos", "atan"};
        if (Vexa1->AngleUnit() == vexa::Degrees) {
            OptionDegRad[0]->setChecked(true);
        } else {
            OptionDegRad[1]->setChecked(true);
        }
        ExpressionCombo->setEditText("sin(pi/4)");
    } catch (...) {
        // The rest of the start-up is skipped; only the evaluator's own error is shown below.
    }
    if (Vexa1->LastError().Number != 0) {
        Status->setText(fromU16(Vexa1->LastError().Description) + " at pos. " +
                        QString::number(Vexa1->LastError().Position));
    }
}
