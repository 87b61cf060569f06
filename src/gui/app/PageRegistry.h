// TPageRegistry: which side-panel pages this program can build, one factory
// per kind. RegisterPages is the one place where a page joins the program:
// a page adds one line there (`registry.Add<TCalendarObject>();`) and
// everything else (start-up, close, commands, day and save notifications)
// reaches it through TPanelPage. Tests register fake pages instead.
//
// A kind with no factory is a page not built yet: its commands stay disabled
// and its "OnCreate" is kept as the settings file has it.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "core/app/PageKind.h"

namespace quillet {

class TFmMain;
class TPanelPage;

// Builds the page object of a kind for `window`. May throw: the show command
// then says "生成に失敗しました".
using TPageFactory = std::function<std::unique_ptr<TPanelPage>(TFmMain& window)>;

class TPageRegistry {
public:
  // Registers (or replaces) the factory of `kind`.
  void Add(TPageKind kind, TPageFactory factory);
  // A page class with `static constexpr TPageKind kKind` and a constructor
  // taking the main window.
  template <class TPage>
  void Add() {
    Add(TPage::kKind, [](TFmMain& window) -> std::unique_ptr<TPanelPage> {
      return std::make_unique<TPage>(window);
    });
  }
  // The factory of `kind`, or nullptr when that page is not built.
  const TPageFactory* Factory(TPageKind kind) const;
  bool Has(TPageKind kind) const { return Factory(kind) != nullptr; }

private:
  std::array<TPageFactory, kPageKindCount> m_factories;
};

// Every page of the program.
void RegisterPages(TPageRegistry& registry);

}  // namespace quillet
