// The base string list: capacity, index errors, the item record,
// change notifications, and its byte arena (views passed back in, garbage
// compaction) checked against a plain vector of strings.
#include "core/editor/heStringList.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quillet {
namespace {

TEST(StringListIndex, OutsideTheListIsAListIndexError) {
  TheStringList list;
  list.Add("a");
  try {
    (void)list.Get(1);
    FAIL() << "no error";
  } catch (const TEListError& error) {
    EXPECT_STREQ(error.what(), "リストのインデックスが範囲を超えています");
    EXPECT_EQ(error.Index(), 1);
  }
  EXPECT_THROW(list.Put(-1, "x"), TEListError);
  EXPECT_THROW(list.Delete(1), TEListError);
  EXPECT_THROW(list.Insert(2, "x"), TEListError);
  EXPECT_THROW((void)list.Object(5), TEListError);
  EXPECT_NO_THROW(list.Insert(1, "b"));  // index = count appends
  EXPECT_EQ(list.Get(1), "b");
}

TEST(StringListNotifications, SurroundEachChangeUnlessUpdating) {
  TheStringList list;
  std::string log;
  list.SetOnChanging([&] { log += "<"; });
  list.SetOnChange([&] { log += ">"; });
  list.Add("a");
  list.Put(0, "b");
  list.Delete(0);
  EXPECT_EQ(log, "<><><>");
  log.clear();
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("a");
  list.Add("b");
  list.EndUpdate();
  EXPECT_EQ(log, "<");
  list.EndUpdate();
  EXPECT_EQ(log, "<>");
  list.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(log, "<>");
}

TEST(StringListArena, AViewOfTheListCanBePutBack) {
  TheStringList list;
  list.Add(std::string(100, 'a'));
  // Each Put appends to the arena and may move it; the argument views it.
  for (int i = 0; i < 200; ++i) list.Add(list.Get(i));
  list.Put(0, list.Get(150));
  list.Insert(0, list.Get(1));
  for (int i = 0; i < list.Count(); ++i) ASSERT_EQ(list.Get(i), std::string(100, 'a')) << i;
}

TEST(StringListArena, RandomEditsMatchAPlainVectorAndGarbageStaysBounded) {
  std::mt19937 random(11);
  TheStringList list;
  std::vector<std::string> model;
  std::vector<std::string> states;
  for (int step = 0; step < 20000; ++step) {
    const std::string text(random() % 300, static_cast<char>('a' + random() % 26));
    const int count = static_cast<int>(model.size());
    switch (random() % 4) {
      case 0: {
        const int at = static_cast<int>(random() % static_cast<unsigned>(count + 1));
        list.Insert(at, text);
        model.insert(model.begin() + at, text);
        states.insert(states.begin() + at, "");
        break;
      }
      case 1:
        if (count > 0) {
          const int at = static_cast<int>(random() % static_cast<unsigned>(count));
          list.Put(at, text);
          model[static_cast<std::size_t>(at)] = text;
        }
        break;
      case 2:
        if (count > 0) {
          const int at = static_cast<int>(random() % static_cast<unsigned>(count));
          list.Delete(at);
          model.erase(model.begin() + at);
          states.erase(states.begin() + at);
        }
        break;
      default:
        if (count > 0) {
          const int at = static_cast<int>(random() % static_cast<unsigned>(count));
          list.PutParseStateText(at, text);
          states[static_cast<std::size_t>(at)] = text;
        }
        break;
    }
    ASSERT_EQ(list.Count(), static_cast<int>(model.size()));
  }
  std::size_t liveBytes = 0;
  for (int i = 0; i < list.Count(); ++i) {
    const auto at = static_cast<std::size_t>(i);
    ASSERT_EQ(list.Get(i), model[at]);
    ASSERT_EQ(list.ParseStateText(i), states[at]);
    liveBytes += model[at].size() + states[at].size();
  }
  // Items, live bytes, and garbage bounded by a quarter of them (plus the
  // arena's growth slack and the 64 KiB floor of compaction).
  const std::size_t items = 32u * static_cast<std::size_t>(list.Capacity());
  EXPECT_LT(list.MemoryBytes(), items + 2 * liveBytes + (128u << 10));
}

}  // namespace
}  // namespace quillet
