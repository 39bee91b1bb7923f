#pragma once
// The generator family's particle record and the small processes that change
// it every frame. A record carries a position and ten numeric parameters;
// its processes are held inline (no allocation per particle), applied in
// order, and a process that returns false finishes the record.

#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>

#include "common/d3dx_vector.h"

namespace glimmer {

inline constexpr size_t kGeneratorParams = 10;
// Parameter indices of a record.
enum GeneratorParam : size_t {
  kLifeFraction = 0,  // 0 at birth, 1 at the end of life
  kSizeFactor = 1,
  kOpacityFactor = 2,
  kAge = 3,       // seconds
  kRotation = 4,  // radians
};
// The most processes one record carries.
inline constexpr size_t kMaxProcesses = 6;

struct GeneratorParticle;

class PProcess {
 public:
  virtual ~PProcess() = default;
  // Changes the record by a step of dt seconds; false: the record is finished.
  virtual bool Apply(float dt, GeneratorParticle& p) = 0;
};

// Ages the record; finished at the maximum age.
class PAgeConst final : public PProcess {
 public:
  explicit PAgeConst(float maxAge = 0) : maxAge(maxAge) {}
  bool Apply(float dt, GeneratorParticle& p) override;
  float maxAge;
};

// Moves the life fraction at a constant rate; finished at 1.
class PLifeConst final : public PProcess {
 public:
  explicit PLifeConst(float rate = 0) : rate(rate) {}
  bool Apply(float dt, GeneratorParticle& p) override;
  float rate;
};

// Changes one parameter at a constant rate while the life fraction lies
// strictly between `from` and `to`.
class PSteady final : public PProcess {
 public:
  PSteady(size_t index = 0, float from = 0, float to = 0, float rate = 0)
      : index(index), from(from), to(to), rate(rate) {}
  bool Apply(float dt, GeneratorParticle& p) override;
  size_t index;
  float from, to, rate;
};

// Adds `remaining` to one parameter spread linearly over the ages
// startAge .. endAge.
class PFade final : public PProcess {
 public:
  PFade(size_t index = 0, float startAge = 0, float endAge = 0, float remaining = 0)
      : index(index), startAge(startAge), endAge(endAge), remaining(remaining) {}
  bool Apply(float dt, GeneratorParticle& p) override;
  size_t index;
  float startAge, endAge, remaining;
};

// Turns the rotation at a constant rate (radians per second).
class PSpin final : public PProcess {
 public:
  explicit PSpin(float rate = 0) : rate(rate) {}
  bool Apply(float dt, GeneratorParticle& p) override;
  float rate;
};

// Constant acceleration: position += ½·a·dt² + v·dt; v += a·dt.
class PKinetic final : public PProcess {
 public:
  PKinetic(D3DXVECTOR3 velocity = {0, 0, 0}, D3DXVECTOR3 acceleration = {0, 0, 0})
      : velocity(velocity), acceleration(acceleration) {}
  bool Apply(float dt, GeneratorParticle& p) override;
  D3DXVECTOR3 velocity, acceleration;
};

// A parameter that rests at its base value for a random while, and in one
// change of three flares to 1 .. 1.5 times it for 0.2 s.
class PTwinkle final : public PProcess {
 public:
  PTwinkle(size_t index = 0, float timer = 0, float base = 1, float period = 0)
      : index(index), timer(timer), base(base), period(period) {}
  bool Apply(float dt, GeneratorParticle& p) override;
  size_t index;
  float timer, base, period;
};

// What a Brownian process reads from its owner.
struct BrownianRegion {
  float left = 0, top = 0, right = 0, bottom = 0;
  float accelerationTime = 1;  // T, seconds
  float changeInterval = 1;    // I, seconds
  float speedScale = 1;        // s
};

// Wanders at random inside the owner's region, steering back when outside.
class PBrownian final : public PProcess {
 public:
  PBrownian() = default;
  // Draws the starting velocity (y first) and change timer.
  explicit PBrownian(const BrownianRegion& owner);
  bool Apply(float dt, GeneratorParticle& p) override;
  const BrownianRegion* owner = nullptr;
  D3DXVECTOR3 velocity{0, 0, 0}, acceleration{0, 0, 0};
  float accelerationTimer = 0, changeTimer = 0;
  bool inside = true;
};

// A record's processes, held in place; copying a list copies (clones) them.
class ProcessList {
 public:
  using Slot =
      std::variant<PAgeConst, PLifeConst, PSteady, PFade, PSpin, PKinetic, PTwinkle, PBrownian>;

  // False (nothing added) when the list is full.
  template <class P>
  bool Add(const P& process) {
    if (count_ == kMaxProcesses) return false;
    slots_[count_++] = process;
    return true;
  }
  void Clear() { count_ = 0; }
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  PProcess& operator[](size_t i) {
    return std::visit([](auto& p) -> PProcess& { return p; }, slots_[i]);
  }
  // Applies every process in order, all of them even after one returned
  // false; false when any did.
  bool ApplyAll(float dt, GeneratorParticle& p);

 private:
  std::array<Slot, kMaxProcesses> slots_{};
  size_t count_ = 0;
};

struct GeneratorParticle {
  GeneratorParticle() = default;
  explicit GeneratorParticle(const D3DXVECTOR3& at) : position(at), previous(at) {}

  D3DXVECTOR3 position{0, 0, 0};
  // Emitters: the position at the last emission.
  D3DXVECTOR3 previous{0, 0, 0};
  std::array<float, kGeneratorParams> params{0, 1, 1, 0, 0, 1, 1, 1, 1, 1};
  ProcessList processes;

  bool Step(float dt) { return processes.ApplyAll(dt, *this); }
};

}  // namespace glimmer
