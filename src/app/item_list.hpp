#pragma once
// The gathered items: rows of four texts in insertion order, shared by the gatherer's
// threads, the package workers and the window. Thread-safe; every change is one step.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tessaly {

struct ItemRow {
  std::string title;
  std::string price;
  std::string address;
  std::string id;
  bool operator==(const ItemRow&) const = default;
};

// What changed. Observers run on the thread that made the change, inside the change's
// step (so they see changes in order); they must not call back into the list.
struct ItemListChange {
  enum class Kind { Appended, Removed, Cleared, CellChanged, Replaced };
  Kind kind = Kind::Appended;
  int index = 0;            // Appended: first new row; Removed, CellChanged: the row
  std::vector<ItemRow> rows{};  // Appended, Replaced: the rows
  int column = 0;           // CellChanged: 0 title, 1 price, 2 address, 3 id
  std::string text{};       // CellChanged: the new text
};

class ItemList {
 public:
  using Observer = std::function<void(const ItemListChange&)>;

  // Appends a row with its four cells; returns its index.
  int append(ItemRow row);
  // The rows of an imported list, appended in order as one step.
  void appendAll(std::vector<ItemRow> rows);
  // Row `index`; an empty row when there is none.
  ItemRow row(int index) const;
  int count() const;
  std::vector<ItemRow> snapshot() const;
  // Removes the rows at the given indexes (any order, duplicates ignored).
  void erase(std::vector<int> indexes);
  void clear();
  bool setCell(int index, int column, const std::string& text);

  // Returns an id for removeObserver.
  int addObserver(Observer observer);
  void removeObserver(int id);

 private:
  void notify(const ItemListChange& change);

  mutable std::mutex mutex_;
  std::vector<ItemRow> rows_;
  std::vector<std::pair<int, Observer>> observers_;
  int nextObserverId_ = 1;
};

}  // namespace tessaly
