// Tests of the brush transform math: editor angles, sheer snapping, scale, rotation and inverse.
#include "vecmath/brush_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "text/number_text.h"

namespace brushwright {
namespace {

std::string Text(const Vector& v) {
  return NumberText(v.X) + " " + NumberText(v.Y) + " " + NumberText(v.Z);
}

std::string Text(const Matrix3& matrix) {
  std::string text;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) text += " / ";
    for (int j = 0; j < 3; ++j) text += (j > 0 ? " " : "") + NumberText(matrix.m[i][j]);
  }
  return text;
}

double Dot(const Vector& p, const Vector& q) {
  return p.X * q.X + p.Y * q.Y + p.Z * q.Z;
}

TEST(AngleSinCos, RightAnglesAreExactAndAnglesWrap) {
  struct Row {
    double angle;
    const char* sine;
    const char* cosine;
  };
  const Row rows[] = {
      {0, "0", "1"},
      {16384, "1", "0"},
      {32768, "0", "-1"},
      {49152, "-1", "0"},
      {-16384, "-1", "0"},
      {65536, "0", "1"},
      {81920, "1", "0"},
      {-131072, "0", "1"},
      {16387, "1", "0"},
      {std::numeric_limits<double>::infinity(), "0", "1"},
      {std::numeric_limits<double>::quiet_NaN(), "0", "1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "angle " << row.angle);
    double s = 9, c = 9;
    AngleSinCos(row.angle, s, c);
    EXPECT_EQ(NumberText(s), row.sine);
    EXPECT_EQ(NumberText(c), row.cosine);
  }
}

TEST(AngleSinCos, RoundsDownToFourUnitsEvenBelowZero) {
  struct Row {
    double angle;
    double same_as;
  };
  // Arithmetic shift: -1 goes down to -4, not up to 0; 1e300 reduces without overflow.
  const Row rows[] = {{-1, -4},     {-4.5, -8},           {7, 4},
                      {1027, 1024}, {65536.0 * 3 + 5, 4}, {1e300, std::fmod(1e300, 65536)}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "angle " << row.angle);
    double s = 0, c = 0, s2 = 0, c2 = 0;
    AngleSinCos(row.angle, s, c);
    AngleSinCos(row.same_as, s2, c2);
    EXPECT_EQ(NumberText(s), NumberText(s2));
    EXPECT_EQ(NumberText(c), NumberText(c2));
  }
  double s = 0, c = 0;
  AngleSinCos(-1024, s, c);  // a sixty-fourth of a turn downward
  EXPECT_NEAR(s, -std::sin(std::atan(1.0) / 8), 1e-15);
  EXPECT_NEAR(c, std::cos(std::atan(1.0) / 8), 1e-15);
}

TEST(SnapSheerRate, EditorBands) {
  struct Row {
    double rate;
    const char* snapped;
  };
  const Row rows[] = {
      {0, "0"},        {0.05, "0"},   {-0.05, "0"},  {0.06, "0.01"}, {0.5, "0.45"},
      {-0.5, "-0.45"}, {0.55, "0.5"}, {0.56, "0.5"}, {-0.6, "-0.5"}, {0.65, "0.5"},
      {-0.65, "-0.5"}, {0.7, "0.55"}, {-1, "-0.85"}, {2, "1.85"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "rate " << row.rate);
    EXPECT_EQ(NumberText(SnapSheerRate(row.rate)), row.snapped);
  }
}

TEST(ScaleMatrix, EachSheerAxisMovesItsOwnCoordinate) {
  struct Row {
    SheerAxis axis;
    const char* placed;  // (1, 2, 3) with rate 1, which shears by 0.85
  };
  const Row rows[] = {
      {SheerAxis::kNone, "1 2 3"},  {SheerAxis::kXY, "1 2.85 3"}, {SheerAxis::kXZ, "1 2 3.85"},
      {SheerAxis::kYX, "2.7 2 3"},  {SheerAxis::kYZ, "1 2 4.7"},  {SheerAxis::kZX, "3.55 2 3"},
      {SheerAxis::kZY, "1 4.55 3"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "axis " << static_cast<int>(row.axis));
    const BrushScale scale{Vector{1, 1, 1}, 1, row.axis};
    EXPECT_EQ(Text(Mat3Transform(ScaleMatrix(scale), Vector{1, 2, 3})), row.placed);
  }
}

TEST(ScaleMatrix, AxisScaleComesBeforeTheSheer) {
  const BrushScale scale{Vector{2, 3, 4}, 0.5, SheerAxis::kZX};
  EXPECT_EQ(Text(ScaleMatrix(scale)), "2 0 1.8 / 0 3 0 / 0 0 4");
  EXPECT_EQ(Text(ScaleMatrix(BrushScale{})), "1 0 0 / 0 1 0 / 0 0 1");
}

TEST(RotationMatrix, TurnsAndTheirOrder) {
  struct Row {
    Rotator rotation;
    Vector direction;
    const char* turned;
  };
  const Row rows[] = {
      {{0, 16384, 0}, {1, 0, 0}, "0 1 0"},       // +Yaw turns +X toward +Y
      {{16384, 0, 0}, {1, 0, 0}, "0 0 1"},       // +Pitch turns +X toward +Z
      {{0, 0, 16384}, {0, 1, 0}, "0 0 -1"},      // +Roll turns +Y toward -Z
      {{16384, 16384, 0}, {1, 0, 0}, "0 0 1"},   // pitch before yaw
      {{0, 16384, 16384}, {0, 1, 0}, "0 0 -1"},  // roll before yaw
      {{16384, 0, 16384}, {0, 1, 0}, "1 0 0"},   // roll before pitch
      {{0, 32768, 0}, {1, 2, 3}, "-1 -2 3"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "pitch " << row.rotation.Pitch << " yaw " << row.rotation.Yaw
                                    << " roll " << row.rotation.Roll);
    EXPECT_EQ(Text(Mat3Transform(RotationMatrix(row.rotation), row.direction)), row.turned);
  }
}

TEST(BuildBrushTransform, IdentityByDefault) {
  const BrushTransform transform =
      BuildBrushTransform(Vector{}, Vector{}, Rotator{}, BrushScale{}, BrushScale{});
  EXPECT_EQ(Text(transform.M), "1 0 0 / 0 1 0 / 0 0 1");
  EXPECT_EQ(Text(transform.N), "1 0 0 / 0 1 0 / 0 0 1");
  EXPECT_EQ(NumberText(transform.Det), "1");
  const BrushTransform preset;
  EXPECT_EQ(Text(preset.M), Text(transform.M));
  EXPECT_EQ(Text(preset.N), Text(transform.N));
}

TEST(BuildBrushTransform, NormalsStayPerpendicularToTurnedSurfaces) {
  const BrushTransform t =
      BuildBrushTransform(Vector{5, 6, 7}, Vector{1, 2, 3}, Rotator{3000, -7000, 12345},
                          BrushScale{Vector{2, -0.5, 3}, 0.8, SheerAxis::kXY},
                          BrushScale{Vector{1.5, 1, 0.75}, -0.3, SheerAxis::kYZ});
  EXPECT_LT(t.Det, 0);
  // N is the inverse of M transposed: M times N's transpose is the identity...
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const double entry =
          t.M.m[i][0] * t.N.m[j][0] + t.M.m[i][1] * t.N.m[j][1] + t.M.m[i][2] * t.N.m[j][2];
      EXPECT_NEAR(entry, i == j ? 1 : 0, 1e-12) << i << "," << j;
    }
  }
  // ...so a normal turned by N stays perpendicular to the edges that M turns.
  const Vector normal{0.6, 0, 0.8};
  const Vector edge{0.8, 5, -0.6};
  EXPECT_NEAR(Dot(TransformDirection(t, normal), Mat3Transform(t.M, edge)), 0, 1e-12);
}

TEST(BuildBrushTransform, ZeroScaleHasNoInverse) {
  const BrushTransform t =
      BuildBrushTransform(Vector{}, Vector{}, Rotator{0, 5000, 0},
                          BrushScale{Vector{1, 0, 1}, 0, SheerAxis::kNone}, BrushScale{});
  EXPECT_EQ(NumberText(t.Det), "0");
  EXPECT_EQ(Text(t.N), "0 0 0 / 0 0 0 / 0 0 0");
}

}  // namespace
}  // namespace brushwright
