// Task.txt over arbitrary bytes: ParseTaskFile (what TTaskFile::Load reads),
// the short date reader and the sort. A list read without problems must be
// one the writer accepts and reads back the same; any task the writer
// accepts reads back as itself.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "core/base/CodePage.h"
#include "core/tasks/TaskFile.h"

using namespace quillet;

namespace {

void CheckRoundTrip(const std::vector<TTask>& tasks, TDate today) {
  const TTaskParse again = ParseTaskFile(TaskFileBytes(tasks), today);
  FUZZ_CHECK(again.Problems.empty());
  FUZZ_CHECK(again.Tasks == tasks);
}

void CheckPermutation(std::vector<std::size_t> order, std::size_t size) {
  FUZZ_CHECK(order.size() == size);
  std::sort(order.begin(), order.end());
  for (std::size_t i = 0; i < size; ++i) FUZZ_CHECK(order[i] == i);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const TDate today = MakeDate(input.ConsumeIntegralInRange(1, 9999), input.ConsumeIntegralInRange(1, 12),
                               input.ConsumeIntegralInRange(1, 28));
  const std::string dateText = input.ConsumeRandomLengthString(16);
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  if (const auto date = ParseTaskDate(dateText, today)) {
    FUZZ_CHECK(date->ok() && IsDiaryDate(*date));
    FUZZ_CHECK(ParseTaskDate(TaskFileDate(*date), today) == *date);
  }

  const TTaskParse parse = ParseTaskFile(bytes, today);
  const std::size_t lines = SplitLines(bytes).size();
  for (const TTaskLineProblem& problem : parse.Problems) FUZZ_CHECK(problem.Line >= 1 && static_cast<std::size_t>(problem.Line) <= lines);
  FUZZ_CHECK(parse.Tasks.size() <= lines);

  if (parse.Problems.empty()) {
    for (const TTask& task : parse.Tasks) FUZZ_CHECK(TaskFlaws(task) == tfNone);
    CheckRoundTrip(parse.Tasks, today);
  }
  std::vector<TTask> storable;
  for (TTask task : parse.Tasks) {
    if (task.ShownTitle) continue;
    if (TaskFlaws(task) != tfNone) {
      ReplaceUnstorable(task);
      FUZZ_CHECK((TaskFlaws(task) & (tfBar | tfMemoBackslashN)) == 0);
    }
    if (TaskFlaws(task) == tfNone) storable.push_back(std::move(task));
  }
  CheckRoundTrip(storable, today);

  for (const TTaskSortKey key : {TTaskSortKey::Date, TTaskSortKey::Title, TTaskSortKey::Priority}) {
    CheckPermutation(TaskSortOrder(parse.Tasks, key, true), parse.Tasks.size());
    CheckPermutation(TaskSortOrder(parse.Tasks, key, false), parse.Tasks.size());
  }
  TTaskSettings settings;
  for (const TTask& task : parse.Tasks) (void)TaskLook(task, today, settings);

  const std::string path = fuzz::WriteScratch(kTaskFileName, bytes);
  TTaskFile file(path);
  const TTaskLoad load = file.Load(today);
  FUZZ_CHECK(load.State == TTaskRead::Read && load.Tasks == parse.Tasks && load.Problems == parse.Problems);
  return 0;
}
