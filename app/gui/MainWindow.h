#pragma once

#include <QAbstractTableModel>
#include <QMainWindow>

#include <memory>

class QLineEdit;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class QLabel;
class QComboBox;

namespace ortello {

class TDataModule1;
class TLOMBaseNode;
class TOTStateClient;

// The parts of one catalog node: part number, description and price.
class TNodePartsModel : public QAbstractTableModel {
public:
    void SetNode(const TLOMBaseNode* node);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    int RowOfPart(std::string_view partNo) const;
    const TLOMBaseNode* Node() const { return node_; }

private:
    const TLOMBaseNode* node_ = nullptr;
};

class TfrmOrtello : public QMainWindow {
public:
    explicit TfrmOrtello(TDataModule1& dataModule);
    ~TfrmOrtello() override;

    QTreeWidget* Tree() const { return tree_; }
    TNodePartsModel* PartsModel() const { return model_; }
    QComboBox* CurrencyChooser() const { return currency_; }
    QComboBox* ScheduleChooser() const { return schedule_; }
    // Selects the node and the part with this number; false when not in the catalog.
    bool GoToPart(const QString& partNo);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildTree();
    void ShowNode(QTreeWidgetItem* item);
    void FindPart();
    void About();
    void RestoreSettings();
    void SaveSettings();
    // Currency and schedule choosers follow the catalog's pricing state.
    void FillPricingChoosers();
    void PricingChanged();

    TDataModule1& dm_;
    QTreeWidget* tree_;
    QTableView* table_;
    TNodePartsModel* model_;
    QLineEdit* search_;
    QLabel* nodeLabel_;
    QComboBox* currency_;
    QComboBox* schedule_;
    std::unique_ptr<TOTStateClient> stateClient_;
    bool filling_ = false;
};

}  // namespace ortello
