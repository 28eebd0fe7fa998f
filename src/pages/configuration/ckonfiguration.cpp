#include "ckonfiguration.h"

#include "configuration_controls.h"
#include "variants.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace trgui::pages {

namespace {

// Field, label, change marker, error marker, unit label (0: none), in the
// order of the dialog's two columns.
struct FieldRow {
    int field, label, changed, error, unit;
};
constexpr FieldRow kLeftColumn[] = {
    {1033, 1034, 1025, 1026, 0}, {1014, 1015, 1020, 1032, 0}, {1022, 1023, 1024, 1036, 0},
    {1017, 1018, 1019, 1035, 0}, {1134, 1135, 1136, 1137, 0}, {1138, 1139, 1140, 1141, 1150},
    {1029, 1030, 1031, 1037, 0}, {1126, 1127, 1128, 1129, 0}, {1130, 1131, 1132, 1133, 0},
    {1006, 1007, 1027, 1038, 0}, {1008, 1009, 1039, 1040, 0}, {1010, 1013, 1041, 1042, 0},
    {1016, 1043, 1044, 1045, 0}, {1004, 1005, 1021, 1028, 0}, {1146, 1143, 1144, 1145, 0},
};
constexpr FieldRow kRightColumn[] = {
    {1059, 1058, 1060, 1061, 0},    {1066, 1067, 1068, 1069, 1142}, {1070, 1071, 1072, 1073, 1147},
    {1075, 1074, 1076, 1077, 0},    {1078, 1079, 1080, 1081, 1148}, {1082, 1083, 1084, 1085, 1149},
    {1086, 1087, 1088, 1089, 0},    {1094, 1095, 1096, 1097, 1090}, {1098, 1099, 1100, 1101, 1091},
    {1102, 1103, 1104, 1105, 1093}, {1106, 1107, 1108, 1109, 1092}, {1111, 1110, 1112, 1113, 0},
    {1114, 1115, 1116, 1117, 1156}, {1046, 1047, 1048, 1049, 0},    {1050, 1051, 1052, 1053, 0},
    {1055, 1054, 1056, 1057, 0},    {1118, 1119, 1120, 1121, 0},    {1122, 1123, 1124, 1125, 0},
};

} // namespace

CKonfiguration::CKonfiguration(QWidget* parent)
    : PageBase(parent), tabTitle_(tabTitleFor({"Konfiguration", "Configuration", "Configuration"}))
{
}

void CKonfiguration::setShared(app::SettingsRecord* settings, app::PortSlot* port, app::DeviceLock* lock)
{
    settings_ = settings;
    port_ = port;
    lock_ = lock;
}

void CKonfiguration::initialisePage()
{
    createControls(configuration::kControls);

    auto* columns = new QHBoxLayout;
    for (const auto& rows : {std::span<const FieldRow>(kLeftColumn), std::span<const FieldRow>(kRightColumn)}) {
        auto* grid = new QGridLayout;
        grid->setVerticalSpacing(3);
        int r = 0;
        for (const auto& row : rows) {
            grid->addWidget(control(row.label), r, 0);
            grid->addWidget(control(row.field), r, 1);
            if (row.unit)
                grid->addWidget(control(row.unit), r, 2);
            for (int marker : {row.changed, row.error}) {
                auto* image = control<QLabel>(marker);
                image->setPixmap(lampPixmap(marker == row.changed ? QStringLiteral(":/trgui/marker_change.svg")
                                                                  : QStringLiteral(":/trgui/marker_error.svg"),
                                            14));
                image->setFixedSize(16, 16);
                image->hide();
            }
            grid->addWidget(control(row.changed), r, 3);
            grid->addWidget(control(row.error), r, 4);
            describeBy(row.field, row.label);
            ++r;
        }
        grid->setColumnStretch(1, 1);
        grid->setRowStretch(r, 1);
        columns->addLayout(grid, 1);
    }

    auto* buttons = new QHBoxLayout;
    for (int id : {1011, 1012, 1065, 1064, 1063, 1062})
        buttons->addWidget(control(id));
    buttons->addStretch();
    auto* logo = logoLabel(this);
    buttons->addWidget(logo);

    auto* page = new QVBoxLayout(this);
    page->addLayout(columns);
    page->addLayout(buttons);

    auto* variantsList = control<QComboBox>(1033);
    for (auto name : variants::variantCodeList())
        variantsList->addItem(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));

    loadTexts(texts::stem::ConfigurationLabels, texts::stem::ConfigurationHelp);
    loadMessageTable(messages_);
}

void CKonfiguration::reloadTexts()
{
    loadTexts(texts::stem::ConfigurationLabels, texts::stem::ConfigurationHelp);
    loadMessageTable(messages_);
}

} // namespace trgui::pages
