// The cells a drag paints: every cell on the straight line between two
// successive pointer positions, 4-connected, so that a fast drag leaves no
// gap; each cell at most once a stroke.
#pragma once

#include <optional>
#include <utility>
#include <vector>

namespace tarvo {

class Stroke {
 public:
  using Cell = std::pair<int, int>;

  // Starts a stroke on a grid of columns x rows cells with the pointer at
  // `at` (nothing off the grid); `cells` becomes the cells to paint.
  void begin(int columns, int rows, std::optional<Cell> at, std::vector<Cell>& cells);
  // The pointer moved to `at`: `cells` becomes the cells on the way from its
  // last position not painted yet. Off the grid (nothing) the position is
  // lost, as by lose(). A caller that keeps one buffer for `cells`
  // allocates nothing a move.
  void moveTo(std::optional<Cell> at, std::vector<Cell>& cells);
  // The pointer went where the stroke does not paint (out of view, other
  // buttons held): the next move starts afresh where it comes back,
  // painting nothing on the way.
  void lose() { last_.reset(); }
  void end() { active_ = false; }
  bool active() const { return active_; }

 private:
  // `cell`, when it is not painted yet; marks it painted.
  bool claim(const Cell& cell);

  int columns_ = 0;
  int rows_ = 0;
  std::vector<bool> painted_;
  std::optional<Cell> last_;
  bool active_ = false;
};

}  // namespace tarvo
