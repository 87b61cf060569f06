// A forced save request, as the save command makes it, for tests that build
// a diary through the store.
#pragma once

#include <string>
#include <utility>

#include "core/store/EntryStore.h"

namespace quillet::test {

inline TSaveRequest ForcedSave(TDate date, std::string body, std::string title) {
  TSaveRequest request;
  request.Date = date;
  request.Body = std::move(body);
  request.Title = std::move(title);
  request.Force = request.Modified = true;
  return request;
}

}  // namespace quillet::test
