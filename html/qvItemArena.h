#pragma once
// The memory of one page's items. A page holds thousands of items, each
// with its own text; taking them one by one from the heap and giving them
// back one by one cost the crawl more than parsing them. An arena hands
// out memory by bumping a pointer through large blocks and gives it all
// back at once when the page's item list goes.
//
// Items made here are still owned through std::unique_ptr: destroying one
// runs its destructor and leaves its memory to the arena (see the
// allocation functions of qvHtmlInterface). The arena must outlive every
// item made in it; qvItemList keeps the two together.

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <string_view>
#include <utility>

class qvItemArena {
 public:
  qvItemArena();
  qvItemArena(const qvItemArena&) = delete;
  qvItemArena& operator=(const qvItemArena&) = delete;

  // An item of class T built in the arena.
  template <class T, class... Args>
  std::unique_ptr<T> make(Args&&... args) {
    return std::unique_ptr<T>(new (*this) T(std::forward<Args>(args)...));
  }

  // `size` bytes aligned for any object, valid until the arena goes.
  void* allocate(std::size_t size) { return memory_.allocate(size, alignof(std::max_align_t)); }
  // A copy of `text` that lives as long as the arena.
  std::string_view keep(std::string_view text);

 private:
  std::pmr::monotonic_buffer_resource memory_;
};
