#include "ui/main/layout_engine.h"
#include "ui/qt_text.h"

#include "ui/artwork.h"
#include "ui/layout_table.h"
#include "ui/main/input_widgets.h"
#include "ui/table_style.h"

#include <QAction>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QRadioButton>

#include <algorithm>
#include <array>
#include <vector>

namespace pa::layout {

namespace {

// The window's controls as the table created them, by name.
class BuiltControls {
public:
    // The control of that name and class. A name missing from the table or a control of another
    // class stops the program at once: the table and the code disagree.
    template <class T> T* get(std::string_view name) const {
        auto* found = qobject_cast<T*>(widgets_.value(qs(name)));
        if (!found)
            missing(name);
        return found;
    }
    QAction* action(std::string_view name) const;

    void add(QWidget* widget) { widgets_.insert(widget->objectName(), widget); }
    void add(QAction* action) { actions_.insert(action->objectName(), action); }

private:
    [[noreturn]] static void missing(std::string_view name);

    QHash<QString, QWidget*> widgets_;
    QHash<QString, QAction*> actions_;
};

// One font per code of the table, shared by every control that uses it.
std::array<QFont, kFontCount> tableFonts() {
    std::array<QFont, kFontCount> fonts;
    for (std::size_t i = 0; i < kFontCount; ++i)
        fonts.at(i) = tableFont(static_cast<Font>(i));
    return fonts;
}

static_assert(static_cast<std::size_t>(Font::F8) + 1 == kFontCount);

const QFont& fontOf(const std::array<QFont, kFontCount>& fonts, Font code) {
    return fonts.at(static_cast<std::size_t>(code));
}

const QColor kButtonFace(224, 224, 224);

constexpr std::size_t kColourCount = 6;
static_assert(static_cast<std::size_t>(Colour::LightGreyFace) + 1 == kColourCount);

// Every control states its own text colour, so a frame's caption colour stays its own. One
// palette per colour of the table, shared like the fonts.
std::array<QPalette, kColourCount> tablePalettes(const QPalette& base) {
    std::array<QPalette, kColourCount> palettes;
    for (std::size_t i = 0; i < kColourCount; ++i) {
        const auto colour = static_cast<Colour>(i);
        QPalette& palette = palettes.at(i);
        palette = base;
        palette.setColor(QPalette::WindowText, tableColour(colour));
        if (colour == Colour::LightGreyFace)
            palette.setColor(QPalette::Button, kButtonFace);
    }
    return palettes;
}

QWidget* createControl(const Control& c, QWidget* parent) {
    const QString caption = qs(c.caption);
    switch (c.kind) {
    case Kind::Frame:
        return new QGroupBox(caption, parent);
    case Kind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case Kind::ResultLabel:
        return new ResultLabel(parent);
    case Kind::TextBox:
        return new QuietLineEdit(parent);
    case Kind::ComboBox:
        return new PickComboBox(parent);
    case Kind::Option:
        return new QRadioButton(caption, parent);
    case Kind::Button:
        return new EnterPushButton(caption, parent);
    case Kind::Picture: {
        auto* picture = new QLabel(parent);
        picture->setPixmap(artwork::emblem(picture->devicePixelRatio()));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    }
    return nullptr;
}

bool takesFocus(Kind kind) {
    return kind == Kind::TextBox || kind == Kind::ComboBox || kind == Kind::Option ||
           kind == Kind::Button;
}

// An option group is one stop of the Tab key, at its selected button, as on other desktops.
void keepTabOnChecked(const BuiltControls& built, std::string_view group, QObject* context) {
    std::vector<QRadioButton*> members;
    for (const Control& c : kControls)
        if (c.kind == Kind::Option && c.parent == group)
            members.push_back(built.get<QRadioButton>(c.name));
    auto update = [members] {
        for (QRadioButton* button : members)
            button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
    };
    for (QRadioButton* button : members)
        QObject::connect(button, &QRadioButton::toggled, context, update);
    update();
}

void BuiltControls::missing(std::string_view name) {
    qFatal("The window table has no control %.*s of the kind the code expects",
           static_cast<int>(name.size()), name.data());
}

QAction* BuiltControls::action(std::string_view name) const {
    QAction* found = actions_.value(qs(name));
    if (!found)
        missing(name);
    return found;
}

Form1Controls resolve(const BuiltControls& b) {
    Form1Controls c{};
    c.TxtPv = b.get<QLineEdit>("TxtPv");
    c.TxtPd = b.get<QLineEdit>("TxtPd");
    c.TxtN = b.get<QLineEdit>("TxtN");
    c.TxtH = b.get<QLineEdit>("TxtH");
    c.TxtL = b.get<QLineEdit>("TxtL");
    c.TxtW = b.get<QLineEdit>("TxtW");
    c.TxtDln = b.get<QLineEdit>("TxtDln");
    c.CmbD = b.get<PickComboBox>("CmbD");
    c.CmbOn = b.get<PickComboBox>("CmbOn");
    c.CmbDn = b.get<PickComboBox>("CmbDn");
    c.CmbUPS = b.get<PickComboBox>("CmbUPS");
    c.CmbVP = b.get<PickComboBox>("CmbVP");
    c.Opt1 = b.get<QRadioButton>("Opt1");
    c.Opt2 = b.get<QRadioButton>("Opt2");
    c.Opt3 = b.get<QRadioButton>("Opt3");
    c.Opt_1_1 = b.get<QRadioButton>("Opt_1_1");
    c.Opt_1_2 = b.get<QRadioButton>("Opt_1_2");
    c.Opt_1_3 = b.get<QRadioButton>("Opt_1_3");
    c.Label3 = b.get<QLabel>("Label3");
    c.LblPd = b.get<ResultLabel>("LblPd");
    c.LblD = b.get<ResultLabel>("LblD");
    c.LblS = b.get<ResultLabel>("LblS");
    c.LblKs = b.get<ResultLabel>("LblKs");
    c.LblZat = b.get<ResultLabel>("LblZat");
    c.LblSr = b.get<ResultLabel>("LblSr");
    c.Command1 = b.get<EnterPushButton>("Command1");
    c.Command2 = b.get<EnterPushButton>("Command2");
    c.Mppech = b.action("Mppech");
    c.Mplan = b.action("Mplan");
    c.Mproject = b.action("Mproject");
    c.Mspr = b.action("Mspr");
    c.Mopr = b.action("Mopr");
    return c;
}

} // namespace

Form1Controls buildWindow(QMainWindow& window) {
    BuiltControls built;
    const QPalette base = lightPalette();
    window.setPalette(base);
    const std::array<QFont, kFontCount> fonts = tableFonts();
    window.setFont(fontOf(fonts, kWindowFont));

    auto* client = new QWidget(&window);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(pixels(kClientWidth), pixels(kClientHeight));
    window.setCentralWidget(client);

    const std::array<QPalette, kColourCount> palettes = tablePalettes(base);
    for (const Control& c : kControls) {
        QWidget* parent = c.parent.empty() ? client : built.get<QWidget>(c.parent);
        QWidget* widget = createControl(c, parent);
        widget->setObjectName(qs(c.name));
        widget->setGeometry(pixels(c.left), pixels(c.top), pixels(c.width), pixels(c.height));
        widget->setFont(fontOf(fonts, c.font));
        widget->setPalette(palettes.at(static_cast<std::size_t>(c.colour)));
        built.add(widget);
    }
    for (const CaptionOf& caption : kCaptions)
        built.get<QWidget>(caption.control)
            ->setAccessibleName(built.get<QLabel>(caption.label)->text().simplified());

    for (const MenuItem& item : kMenu) {
        QAction* action = window.menuBar()->addAction(qs(item.caption));
        action->setObjectName(qs(item.name));
        built.add(action);
    }

    std::vector<const Control*> chain;
    for (const Control& c : kControls)
        if (takesFocus(c.kind) && c.tab >= 0)
            chain.push_back(&c);
    std::sort(chain.begin(), chain.end(),
              [](const Control* a, const Control* b) { return a->tab < b->tab; });
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(built.get<QWidget>(chain[i - 1]->name),
                             built.get<QWidget>(chain[i]->name));
    for (std::string_view group : kOptionGroups)
        keepTabOnChecked(built, group, &window);

    window.layout()->setSizeConstraint(QLayout::SetFixedSize);
    return resolve(built);
}

} // namespace pa::layout
