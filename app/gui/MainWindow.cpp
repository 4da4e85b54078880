#include "app/gui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/DataModule.h"
#include "app/gui/AboutDialog.h"
#include "catalog/CatalogEditors.h"
#include "catalog/Discounts.h"
#include "library/StateBroadcast.h"
#include "platform/SettingsStore.h"

namespace ortello {

namespace {
const char* const kWindowKey = "HKEY_CURRENT_USER\\Software\\Velmar\\Ortello\\Windows";
constexpr int kNodeRole = Qt::UserRole + 1;

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
}  // namespace

void TNodePartsModel::SetNode(const TLOMBaseNode* node) {
    beginResetModel();
    node_ = node;
    endResetModel();
}

int TNodePartsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !node_ ? 0 : node_->Parts().Count();
}

int TNodePartsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TNodePartsModel::data(const QModelIndex& index, int role) const {
    if (!node_ || !index.isValid()) return {};
    const TLOMEntry* e = node_->Parts().Entry(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case 0: return Q(e->GetPartNumber());
            case 1: return Q(e->Desc());
            case 2: return Q(e->FormattedPrice());
        }
    } else if (role == Qt::TextAlignmentRole && index.column() == 2) {
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    } else if (role == Qt::ToolTipRole && index.column() == 1) {
        return Q(e->Desc());
    }
    return {};
}

QVariant TNodePartsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Part Number", "Description", "Price"};
    return section >= 0 && section < 3 ? QVariant(names[section]) : QVariant();
}

int TNodePartsModel::RowOfPart(std::string_view partNo) const {
    if (!node_) return -1;
    for (int i = 0; i < node_->Parts().Count(); ++i)
        if (SameText(node_->Parts().Entry(i)->PartNo(), partNo)) return i;
    return -1;
}

TfrmOrtello::TfrmOrtello(TDataModule1& dataModule) : dm_(dataModule) {
    setWindowTitle("Ortello");
    setObjectName("frmOrtello");

    tree_ = new QTreeWidget;
    tree_->setHeaderHidden(true);
    tree_->setUniformRowHeights(true);
    model_ = new TNodePartsModel;
    model_->setParent(this);
    table_ = new QTableView;
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table_->setColumnWidth(0, 160);
    table_->setColumnWidth(2, 120);

    nodeLabel_ = new QLabel;
    auto* right = new QWidget;
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(4, 4, 4, 4);
    rl->addWidget(nodeLabel_);
    rl->addWidget(table_, 1);
    auto* split = new QSplitter;
    split->addWidget(tree_);
    split->addWidget(right);
    split->setStretchFactor(1, 3);
    split->setSizes({300, 700});
    setCentralWidget(split);

    QMenu* file = menuBar()->addMenu("&File");
    QAction* exit = file->addAction("E&xit", this, &QWidget::close);
    exit->setShortcut(QKeySequence::Quit);
    QMenu* edit = menuBar()->addMenu("&Edit");
    QAction* find = edit->addAction("&Find Part...", this, [this] {
        search_->setFocus();
        search_->selectAll();
    });
    find->setShortcut(QKeySequence::Find);
    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&About Ortello...", this, &TfrmOrtello::About);

    QToolBar* bar = addToolBar("Search");
    bar->setObjectName("SearchBar");
    bar->setMovable(false);
    bar->addWidget(new QLabel(" Part number: "));
    search_ = new QLineEdit;
    search_->setPlaceholderText("Find a part by its number");
    search_->setClearButtonEnabled(true);
    search_->setMaximumWidth(280);
    bar->addWidget(search_);
    connect(search_, &QLineEdit::returnPressed, this, &TfrmOrtello::FindPart);

    QToolBar* pricing = addToolBar("Pricing");
    pricing->setObjectName("PricingBar");
    pricing->setMovable(false);
    pricing->addWidget(new QLabel(" Currency: "));
    currency_ = new QComboBox;
    for (int c = 0; c < kCurrencyCount; ++c)
        currency_->addItem(QString::fromUtf8(CurrencyText(static_cast<TCurrencyType>(c)).LongName));
    pricing->addWidget(currency_);
    pricing->addWidget(new QLabel("  Discount schedule: "));
    schedule_ = new QComboBox;
    schedule_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    pricing->addWidget(schedule_);
    connect(currency_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!filling_ && i >= 0) dm_.DAVNodeData1->SetCurrencyType(static_cast<TCurrencyType>(i));
    });
    connect(schedule_, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        if (!filling_ && !name.isEmpty()) dm_.DAVNodeData1->SetSchedule(name.toStdString());
    });
    // Prices follow every currency, schedule and part-reference change.
    stateClient_ = std::make_unique<TOTStateClient>(nullptr);
    stateClient_->SetController(dm_.OTStateController1);
    stateClient_->OnCurrencyChange = [this](TObject*, int) { PricingChanged(); };
    stateClient_->OnDiscountChange = [this](TObject*) { PricingChanged(); };
    stateClient_->OnPartRefChange = [this](TObject*) { PricingChanged(); };
    FillPricingChoosers();

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) { ShowNode(item); });

    BuildTree();
    const TLOMNodeData& cat = *dm_.DAVNodeData1;
    statusBar()->showMessage(QString("%1 parts in %2 categories%3")
                                 .arg(cat.Container().Parts().Count())
                                 .arg(cat.Container().Count())
                                 .arg(cat.LoadedFile().empty() ? QString(" (no catalog file found)") : QString()));
    resize(1000, 640);
    RestoreSettings();
}

TfrmOrtello::~TfrmOrtello() = default;

void TfrmOrtello::FillPricingChoosers() {
    filling_ = true;
    const TLOMNodeData& cat = *dm_.DAVNodeData1;
    currency_->setCurrentIndex(cat.CurrencyType());
    schedule_->clear();
    for (const std::string& name : ScheduleChoices(&cat.Schedules())) schedule_->addItem(QString::fromStdString(name));
    schedule_->setCurrentText(QString::fromStdString(cat.Schedule()));
    filling_ = false;
}

void TfrmOrtello::PricingChanged() {
    FillPricingChoosers();
    model_->SetNode(model_->Node());
    statusBar()->showMessage(QString("Prices in %1, schedule \"%2\"")
                                 .arg(QString::fromUtf8(CurrencyText(dm_.DAVNodeData1->CurrencyType()).LongName),
                                      QString::fromStdString(dm_.DAVNodeData1->Schedule())),
                             5000);
}

void TfrmOrtello::BuildTree() {
    tree_->clear();
    TLOMNodeData& cat = *dm_.DAVNodeData1;
    auto* root = new QTreeWidgetItem(tree_, QStringList(Q(cat.GetRootNode().NodeName())));
    root->setData(0, kNodeRole, QVariant::fromValue<void*>(&cat.GetRootNode()));
    // Depth-first over the children lists keeps the file's order.
    std::vector<std::pair<TLOMBaseNode*, QTreeWidgetItem*>> stack{{&cat.GetRootNode(), root}};
    while (!stack.empty()) {
        auto [node, item] = stack.back();
        stack.pop_back();
        for (int i = node->Children().Count() - 1; i >= 0; --i) {
            TLOMBaseNode* child = node->Children().Node(i);
            auto* ci = new QTreeWidgetItem;
            ci->setText(0, Q(child->NodeName()));
            ci->setData(0, kNodeRole, QVariant::fromValue<void*>(child));
            item->insertChild(0, ci);
            stack.emplace_back(child, ci);
        }
    }
    root->setExpanded(true);
    tree_->setCurrentItem(root);
}

void TfrmOrtello::ShowNode(QTreeWidgetItem* item) {
    auto* node = item ? static_cast<TLOMBaseNode*>(item->data(0, kNodeRole).value<void*>()) : nullptr;
    model_->SetNode(node);
    nodeLabel_->setText(node ? QString("<b>%1</b> &mdash; %2 parts")
                                   .arg(Q(node->Path().empty() ? node->NodeName() : node->Path()).toHtmlEscaped())
                                   .arg(node->Parts().Count())
                             : QString());
}

bool TfrmOrtello::GoToPart(const QString& partNo) {
    TLOMNodeData& cat = *dm_.DAVNodeData1;
    const std::string key = partNo.trimmed().toStdString();
    TLOMEntry* e = cat.EntryAt(cat.GetParts().FindByPartNo(key));
    if (!e || !e->Parent()) return false;
    // Find the tree item that stands for the entry's node.
    QTreeWidgetItemIterator it(tree_);
    for (; *it; ++it) {
        if ((*it)->data(0, kNodeRole).value<void*>() == e->Parent()) {
            tree_->setCurrentItem(*it);
            tree_->scrollToItem(*it);
            const int row = model_->RowOfPart(e->PartNo());
            if (row >= 0) {
                table_->selectRow(row);
                table_->scrollTo(model_->index(row, 0));
            }
            return true;
        }
    }
    return false;
}

void TfrmOrtello::FindPart() {
    const QString text = search_->text().trimmed();
    if (text.isEmpty()) return;
    if (!GoToPart(text)) {
        statusBar()->showMessage(QString("Part \"%1\" is not in the catalog").arg(text), 5000);
        QApplication::beep();
    }
}

void TfrmOrtello::About() {
    TfrmAbout about(this);
    about.exec();
}

void TfrmOrtello::RestoreSettings() {
    const std::string geometry = TSettingsStore::Default().ReadString(kWindowKey, "frmOrtello");
    if (!geometry.empty()) restoreGeometry(QByteArray::fromHex(QByteArray::fromStdString(geometry)));
}

void TfrmOrtello::SaveSettings() {
    try {
        TSettingsStore::Default().WriteString(kWindowKey, "frmOrtello", saveGeometry().toHex().toStdString());
    } catch (const std::exception&) {
        // Window placement that cannot be stored is not worth a message at exit.
    }
}

void TfrmOrtello::closeEvent(QCloseEvent* event) {
    SaveSettings();
    event->accept();
}

}  // namespace ortello
