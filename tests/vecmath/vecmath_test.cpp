// Tests of the vector and matrix operations, checked on the number text their results give.
#include "vecmath/vecmath.h"

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

// Rows separated by " / ", as a failure message shows them.
std::string Text(const Matrix4& matrix) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) text += " / ";
    for (int j = 0; j < 4; ++j) text += (j > 0 ? " " : "") + NumberText(matrix.m[i][j]);
  }
  return text;
}

Matrix4 Identity() {
  Matrix4 matrix;
  MatIdentity(matrix);
  return matrix;
}

Matrix4 Scale(double sx, double sy, double sz) {
  Matrix4 matrix;
  MatScale(matrix, sx, sy, sz);
  return matrix;
}

Matrix4 RotateX(double angle) {
  Matrix4 matrix;
  MatRotateX(matrix, angle);
  return matrix;
}

Matrix4 Translate(double x, double y, double z) {
  Matrix4 matrix = Identity();
  matrix.m[3][0] = x;
  matrix.m[3][1] = y;
  matrix.m[3][2] = z;
  return matrix;
}

// Exchanges X and Y.
Matrix4 SwapXY() {
  Matrix4 matrix = Identity();
  matrix.m[0][0] = 0;
  matrix.m[0][1] = 1;
  matrix.m[1][0] = 1;
  matrix.m[1][1] = 0;
  return matrix;
}

constexpr char kIdentityText[] = "1 0 0 0 / 0 1 0 0 / 0 0 1 0 / 0 0 0 1";

TEST(MatTransform, GivesTheNumbersWrittenToFiles) {
  const Matrix4 w3d = BuildW3DMatrix();
  const struct Row {
    const char* name;
    Matrix4 matrix;
    Vector point;
    const char* expected;
  } rows[] = {
      {"identity", Identity(), {1.5, -2.25, 1e20}, "1.5 -2.25 1E+20"},
      {"mirror", Scale(1, -1, 1), {1, 2, 3}, "1 -2 3"},
      {"scale", Scale(2, 0.5, -1), {3, 4, 5}, "6 2 -5"},
      {"translation row", Translate(10, -20, 0.25), {1, 2, 3}, "11 -18 3.25"},
      {"rotate 90 degrees about X",
       RotateX(std::acos(-1.0) / 2),
       {0, 1, 0},
       "0 6.12323399573677E-17 1"},
      {"W3D of a Y offset keeps the cosine", w3d, {0, 128, 0}, "0 -2.35132185436292E-14 -128"},
      {"W3D of a Z offset", w3d, {0, 0, 5}, "0 5 -9.18485099360515E-16"},
      {"W3D of a general point", w3d, {1, 2, 3}, "1 3 -2"},
      {"W3D of a negative point", w3d, {-64, -32, 16}, "-64 16 32"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Text(MatTransform(row.matrix, row.point)), row.expected) << row.name;
  }
}

TEST(BuildW3DMatrix, UsesTheRunTimeCosineAndSine) {
  const Matrix4 w3d = BuildW3DMatrix();
  EXPECT_EQ(w3d.m[1][1], -1.8369701987210297e-16);
  EXPECT_EQ(w3d.m[2][2], -1.8369701987210297e-16);
  EXPECT_EQ(w3d.m[1][2], -1.0);
  EXPECT_EQ(w3d.m[2][1], 1.0);
  EXPECT_EQ(Text(w3d),
            "1 0 0 0 / 0 -1.83697019872103E-16 -1 0 / 0 1 -1.83697019872103E-16 0 / 0 0 0 1");
}

TEST(MatTransform, SumsLeftToRight) {
  // Column 0 all ones: x' = ((1e16 + 1) + -1e16) + 1 = 1 when added in order, 2 otherwise.
  Matrix4 ones = Identity();
  for (int i = 0; i < 4; ++i) ones.m[i][0] = 1;
  EXPECT_EQ(MatTransform(ones, {1e16, 1, -1e16}).X, 1.0);
}

TEST(MatMultiply, SumsLeftToRight) {
  Matrix4 p;
  p.m[0][0] = 1e16;
  p.m[0][1] = 1;
  p.m[0][2] = -1e16;
  p.m[0][3] = 1;
  Matrix4 q;
  for (int k = 0; k < 4; ++k) q.m[k][0] = 1;
  EXPECT_EQ(MatMultiply(p, q).m[0][0], 1.0);
}

TEST(MatMultiply, AppliesTheFirstMatrixFirst) {
  // Scaling X by 2 and then exchanging X and Y sends (1, 0, 0) to (0, 2, 0); the other order
  // would give (0, 1, 0).
  EXPECT_EQ(Text(MatTransform(MatMultiply(Scale(2, 1, 1), SwapXY()), {1, 0, 0})), "0 2 0");
  EXPECT_EQ(Text(MatTransform(MatMultiply(SwapXY(), Scale(2, 1, 1)), {1, 0, 0})), "0 1 0");
  EXPECT_EQ(Text(MatMultiply(Identity(), Identity())), kIdentityText);
}

// Pairs whose products are exact, so one transform by the product and two in turn give the
// same text.
TEST(MatMultiply, EqualsTransformingTwice) {
  const Matrix4 pairs[][2] = {
      {Scale(1, -1, 1), BuildW3DMatrix()},
      {BuildW3DMatrix(), Scale(1, -1, 1)},
      {Scale(0.5, 0.25, 2), Translate(7, 8, 9)},
      {Translate(7, 8, 9), SwapXY()},
      {Scale(2, 3, -4), SwapXY()},
  };
  const Vector points[] = {{1, 2, 3}, {-128, 64, 0.5}, {0, 0, 0}, {1024, -2048, 4096}};
  for (const auto& pair : pairs) {
    const Matrix4 product = MatMultiply(pair[0], pair[1]);
    for (const Vector& point : points) {
      EXPECT_EQ(Text(MatTransform(product, point)),
                Text(MatTransform(pair[1], MatTransform(pair[0], point))))
          << Text(pair[0]) << " then " << Text(pair[1]) << " on " << Text(point);
    }
  }
}

// General turns round differently in the last bits; the two ways agree to rounding.
TEST(MatMultiply, AgreesWithTransformingTwiceForTurns) {
  const Matrix4 pairs[][2] = {
      {RotateX(0.3), Scale(2, 3, -4)},
      {BuildW3DMatrix(), RotateX(1.1)},
      {RotateX(-2.5), Translate(-1, 0.5, 3)},
  };
  const Vector point = {1024, -2048, 4096};
  for (const auto& pair : pairs) {
    const Vector once = MatTransform(MatMultiply(pair[0], pair[1]), point);
    const Vector twice = MatTransform(pair[1], MatTransform(pair[0], point));
    EXPECT_NEAR(once.X, twice.X, 1e-9) << Text(pair[0]) << " then " << Text(pair[1]);
    EXPECT_NEAR(once.Y, twice.Y, 1e-9) << Text(pair[0]) << " then " << Text(pair[1]);
    EXPECT_NEAR(once.Z, twice.Z, 1e-9) << Text(pair[0]) << " then " << Text(pair[1]);
  }
}

TEST(VectorOperations, GiveTheExpectedText) {
  const struct Row {
    const char* name;
    Vector result;
    const char* expected;
  } rows[] = {
      {"add", VecAdd({1, 2, 3}, {0.5, -2, 10}), "1.5 0 13"},
      {"subtract", VecSubtract({1, 2, 3}, {0.5, -2, 10}), "0.5 4 -7"},
      {"cross x by y", VecCross({1, 0, 0}, {0, 1, 0}), "0 0 1"},
      {"cross y by x", VecCross({0, 1, 0}, {1, 0, 0}), "0 0 -1"},
      {"cross general", VecCross({1, 2, 3}, {4, 5, 6}), "-3 6 -3"},
      {"normalize", VecNormalize({3, 0, -4}), "0.6 0 -0.8"},
      {"normalize tiny", VecNormalize({0, 1e-150, 0}), "0 1 0"},
      {"normalize zero", VecNormalize({0, 0, 0}), "0 0 0"},
      {"normalize negative zero", VecNormalize({-0.0, 0, -0.0}), "0 0 0"},
  };
  for (const Row& row : rows) EXPECT_EQ(Text(row.result), row.expected) << row.name;

  EXPECT_EQ(VecLength({1, 2, 2}), 3.0);
  EXPECT_EQ(VecLength({0, 0, 0}), 0.0);
  EXPECT_EQ(NumberText(VecLength({1, 1, 1})), "1.73205080756888");
}

TEST(VecTranslateAll, MovesEveryElement) {
  VertexList one = {{1, 2, 3}};
  VecTranslateAll(one, {10, 20, 30});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(Text(one[0]), "11 22 33");

  VertexList three = {{0, 0, 0}, {1, 1, 1}, {-5, 0.5, 2}};
  VecTranslateAll(three, {-1, 0.25, 100});
  ASSERT_EQ(three.size(), 3u);
  EXPECT_EQ(Text(three[0]), "-1 0.25 100");
  EXPECT_EQ(Text(three[1]), "0 1.25 101");
  EXPECT_EQ(Text(three[2]), "-6 0.75 102");

  VertexList none;
  VecTranslateAll(none, {1, 1, 1});
  EXPECT_TRUE(none.empty());
}

TEST(NormalToPlaneMatrices, BuildsTheTurnAndTheReflection) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const struct Row {
    Vector normal;
    const char* a;
    const char* b;
  } rows[] = {
      {{0, 0, 1}, kIdentityText, kIdentityText},
      {{0, 0, -1}, kIdentityText, "0 1 0 0 / 1 0 0 0 / 0 0 1 0 / 0 0 0 1"},
      {{0, 1, 0},
       "-1 0 0 0 / 0 -1 0 0 / 0 0 1 0 / 0 0 0 1",
       "1 0 0 0 / 0 0 1 0 / 0 1 0 0 / 0 0 0 1"},
      {{0, -1, 0}, kIdentityText, "1 0 0 0 / 0 0 1 0 / 0 1 0 0 / 0 0 0 1"},
      {{1, 0, 0},
       "0 -1 0 0 / 1 0 0 0 / 0 0 1 0 / 0 0 0 1",
       "1 0 0 0 / 0 0 1 0 / 0 1 0 0 / 0 0 0 1"},
      {{-0.6, 0.8, 0},
       "-0.8 0.6 0 0 / -0.6 -0.8 0 0 / 0 0 1 0 / 0 0 0 1",
       "1 0 0 0 / 0 0 1 0 / 0 1 0 0 / 0 0 0 1"},
      {{0, 0.6, 0.8},
       "-1 0 0 0 / 0 -1 0 0 / 0 0 1 0 / 0 0 0 1",
       "1 0 0 0 / 0 0.8 0.6 0 / 0 0.6 -0.8 0 / 0 0 0 1"},
      // Vertical but not of length 1: no turn, and the reflection's sine is clamped at 0.
      {{0, 0, 2}, kIdentityText, "1 0 0 0 / 0 2 0 0 / 0 0 -2 0 / 0 0 0 1"},
      {{0, 0, 0.5},
       kIdentityText,
       "1 0 0 0 / 0 0.5 0.866025403784439 0 / 0 0.866025403784439 -0.5 0 / 0 0 0 1"},
      // Squares that underflow or overflow still give a unit turn.
      {{1e-200, 0, 1},
       "0 -1 0 0 / 1 0 0 0 / 0 0 1 0 / 0 0 0 1",
       "1 0 0 0 / 0 1 0 0 / 0 0 -1 0 / 0 0 0 1"},
      {{3e200, -4e200, 0},
       "0.8 -0.6 0 0 / 0.6 0.8 0 0 / 0 0 1 0 / 0 0 0 1",
       "1 0 0 0 / 0 0 1 0 / 0 1 0 0 / 0 0 0 1"},
      // No plane: both stay identities.
      {{0, 0, 0}, kIdentityText, kIdentityText},
      {{kInf, 0, 0}, kIdentityText, kIdentityText},
      {{0, kNaN, 1}, kIdentityText, kIdentityText},
  };
  for (const Row& row : rows) {
    Matrix4 a = Scale(7, 7, 7);
    Matrix4 b = Scale(7, 7, 7);
    NormalToPlaneMatrices(row.normal, a, b);
    EXPECT_EQ(Text(a), row.a) << Text(row.normal);
    EXPECT_EQ(Text(b), row.b) << Text(row.normal);
  }
}

// The face's plane ends parallel to X-Y; general normals reach -Z only to rounding.
TEST(NormalToPlaneMatrices, LaysUnitNormalsOntoMinusZ) {
  const struct Row {
    Vector normal;
    Vector expected;
  } rows[] = {
      {{0, 0, 1}, {0, 0, 1}},  // left as it is
      {{0, 0, -1}, {0, 0, -1}},
      {{0, 1, 0}, {0, 0, -1}},
      {{0, -1, 0}, {0, 0, -1}},
      {{1, 0, 0}, {0, 0, -1}},
      {{-1, 0, 0}, {0, 0, -1}},
      {{0.6, 0.8, 0}, {0, 0, -1}},
      {{0.48, -0.64, 0.6}, {0, 0, -1}},
      {{0, 0.6, -0.8}, {0, 0, -1}},
      {{-0.36, 0.48, -0.8}, {0, 0, -1}},
  };
  for (const Row& row : rows) {
    Matrix4 a;
    Matrix4 b;
    NormalToPlaneMatrices(row.normal, a, b);
    const Vector flat = MatTransform(b, MatTransform(a, row.normal));
    EXPECT_NEAR(flat.X, row.expected.X, 1e-15) << Text(row.normal);
    EXPECT_NEAR(flat.Y, row.expected.Y, 1e-15) << Text(row.normal);
    EXPECT_NEAR(flat.Z, row.expected.Z, 1e-15) << Text(row.normal);
  }
}

TEST(TextureAxesMatrix, FlattensTheAxesAndBuildsTheMatrix) {
  const struct Row {
    const char* name;
    Vector u;
    Vector v;
    const char* c;
  } rows[] = {
      {"axes turning clockwise", {1, 0, 7}, {0, 1, 9}, "1 0 0 0 / 0 -1 0 0 / 0 0 1 0 / 0 0 0 1"},
      {"axes turning anticlockwise", {1, 0, 0}, {0, -1, 0}, kIdentityText},
      {"scaled and turned", {0, 2, 5}, {-3, 0, 1}, "0 -2 0 0 / -3 0 0 0 / 0 0 1 0 / 0 0 0 1"},
      {"diagonal", {3, 4, 0}, {-4, 3, 0}, "3 -4 0 0 / -4 -3 0 0 / 0 0 1 0 / 0 0 0 1"},
      {"parallel axes lose Y", {2, 0, 0}, {5, 0, 0}, "2 0 0 0 / 0 0 0 0 / 0 0 1 0 / 0 0 0 1"},
      {"zero V", {2, 0, 0}, {0, 0, 4}, "2 0 0 0 / 0 0 0 0 / 0 0 1 0 / 0 0 0 1"},
  };
  for (const Row& row : rows) {
    Vector u = row.u;
    Vector v = row.v;
    Matrix4 c;
    TextureAxesMatrix(u, v, c);
    EXPECT_EQ(Text(c), row.c) << row.name;
    EXPECT_EQ(u.Z, 0.0) << row.name;
    EXPECT_EQ(v.Z, 0.0) << row.name;
    EXPECT_EQ(u.X, row.u.X) << row.name;
    EXPECT_EQ(v.Y, row.v.Y) << row.name;
  }
}

TEST(TextureAxesMatrix, LeavesTheMatrixWhenUHasNoUsableLength) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const struct Row {
    const char* name;
    Vector u;
  } rows[] = {
      {"U along Z only", {0, 0, 5}},
      {"zero U", {0, 0, 0}},
      {"infinite U", {kInf, 0, 0}},
      {"U too long to measure", {1e300, 1e300, 0}},
  };
  for (const Row& row : rows) {
    Vector u = row.u;
    Vector v = {0, 1, 3};
    Matrix4 c = Scale(7, 8, 9);
    TextureAxesMatrix(u, v, c);
    EXPECT_EQ(Text(c), "7 0 0 0 / 0 8 0 0 / 0 0 9 0 / 0 0 0 1") << row.name;
    EXPECT_EQ(u.Z, 0.0) << row.name;
    EXPECT_EQ(v.Z, 0.0) << row.name;
  }
}

}  // namespace
}  // namespace brushwright
