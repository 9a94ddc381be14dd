#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/gui/FieldEditor.h"
#include "app/gui/PageWidget.h"
#include "config/CatalogPage.h"

class QAbstractButton;
class QFormLayout;
class QVBoxLayout;

namespace tusko::gui {

// The widget of a page made from the field catalog: one editor per field,
// built when the page is first shown. Store copies an editor into the model
// only when it differs from what Show put in, so a value the gateway stored
// out of an editor's range stays as it was unless the user edits it.
class CatalogPageWidget : public PageWidget {
  Q_OBJECT

 public:
  explicit CatalogPageWidget(const PageContext& context, QWidget* parent = nullptr);
  ~CatalogPageWidget() override;

  void Show(const ConfigurationPage& page) override;
  void Store(ConfigurationPage& page) const override;
  void FocusField(std::string_view field) override;
  void Relabel() override;

  // The editor of field `index` made and bound; null for a kind laid out elsewhere.
  FieldEditor* AddEditor(const CatalogPage& page, std::size_t index, QWidget* parent);
  FieldEditor* Bind(std::size_t index, std::unique_ptr<FieldEditor> editor);
  // A form row per visible field that `take` accepts, in page order.
  void AddRows(QFormLayout& form, const CatalogPage& page, const std::function<bool(const catalog::FieldRef&)>& take);
  FieldEditor* EditorOf(std::string_view id) const;
  const PageContext& context() const { return context_; }

 protected:
  // Lays the editors out; the default is one form of every field.
  virtual void Build(const CatalogPage& page);
  virtual void AfterShow() {}
  QVBoxLayout& body() { return *body_; }
  // After editors were bound into `built` once the page was shown (a tab
  // built when first shown): translates them, links them and shows the open
  // page's values in them.
  void ShowAdded(QWidget& built, std::size_t firstBound);
  std::size_t boundCount() const { return bound_.size(); }

 private:
  struct Bound {
    std::size_t index = 0;
    std::unique_ptr<FieldEditor> editor;
    catalog::FieldValue shown;
    QWidget* label = nullptr;
  };
  // An editor enabled only while a field of its record (a check box, a list)
  // holds the field's enabling value.
  struct Enabling {
    std::size_t controller = 0;
    std::size_t bound = 0;
  };
  void ShowBound(Bound& bound, const CatalogPage& page);
  void Link(std::size_t firstBound);
  std::optional<std::size_t> BoundOf(std::size_t instance, std::string_view name, const catalog::Group* group) const;
  void UpdateEnabled();

  PageContext context_;
  QVBoxLayout* body_;
  std::vector<Bound> bound_;
  std::vector<Enabling> enabling_;
  bool built_ = false;
};

}  // namespace tusko::gui
