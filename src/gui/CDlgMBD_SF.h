#pragma once
#include <QAbstractTableModel>
#include <QDialog>

#include "gui/QtUserInterface.h"
#include "programs/multiple_beam/ChiComponentsForm.h"

class QTableView;

namespace velto::gui {

// The N² rows of the chi dialog, asked of the form model as they are drawn.
class ChiComponentsTable : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ChiComponentsTable(const programs::ChiComponentsForm& form, QObject* parent = nullptr)
      : QAbstractTableModel(parent), form_(form) {}
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : form_.RowCount(); }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // The form's rows changed (computed or imported).
  void Refill() {
    beginResetModel();
    endResetModel();
  }

 private:
  const programs::ChiComponentsForm& form_;
};

// "Calculate or Import Chi Values (Structure Factors)".
class CDlgMBD_SF : public QDialog {
  Q_OBJECT
 public:
  CDlgMBD_SF(QWidget* parent, programs::ChiComponentsForm& model, QtUserInterface& parentUi);
  QTableView* List() const { return list_; }

 private:
  programs::ChiComponentsForm& model_;
  QtUserInterface ui_;
  ChiComponentsTable table_;
  QTableView* list_;
};

}  // namespace velto::gui
