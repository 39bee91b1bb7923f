// The D3DX matrix functions, checked against their defining formulas.

#include "platform/gpu/d3dx_math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace glimmer {
namespace {

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tol = 1e-5f) {
  EXPECT_NEAR(a.x, b.x, tol);
  EXPECT_NEAR(a.y, b.y, tol);
  EXPECT_NEAR(a.z, b.z, tol);
}

D3DXVECTOR3 Apply(const D3DXMATRIX& m, D3DXVECTOR3 v) {
  D3DXVec3TransformCoord(&v, &v, &m);
  return v;
}

TEST(D3dxMath, OrthoOffCenterMapsTheBoxToClipSpace) {
  D3DXMATRIX lh, rh;
  D3DXMatrixOrthoOffCenterLH(&lh, 0, 640, 480, 0, 0, 10);
  ExpectNear(Apply(lh, {0, 0, 0}), {-1, 1, 0});
  ExpectNear(Apply(lh, {640, 480, 10}), {1, -1, 1});
  ExpectNear(Apply(lh, {320, 240, 5}), {0, 0, 0.5f});
  D3DXMatrixOrthoOffCenterRH(&rh, 0, 640, 480, 0, 0, 10);
  ExpectNear(Apply(rh, {0, 0, -10}), {-1, 1, 1});  // right-handed: depth along -z
}

TEST(D3dxMath, PerspectiveAndLookAt) {
  D3DXMATRIX p;
  D3DXMatrixPerspectiveFovLH(&p, 3.14159265f / 2, 2.0f, 1, 100);
  ExpectNear(Apply(p, {0, 0, 1}), {0, 0, 0});
  ExpectNear(Apply(p, {0, 0, 100}), {0, 0, 1}, 1e-4f);
  ExpectNear(Apply(p, {2, 1, 1}), {1, 1, 0}, 1e-5f);
  D3DXMATRIX view;
  const D3DXVECTOR3 eye{0, 0, -5}, at{0, 0, 0}, up{0, 1, 0};
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  ExpectNear(Apply(view, {0, 0, 0}), {0, 0, 5});
  ExpectNear(Apply(view, {1, 2, 0}), {1, 2, 5});
}

TEST(D3dxMath, RotationsTurnRowVectors) {
  D3DXMATRIX z, x, y, axis;
  D3DXMatrixRotationZ(&z, 3.14159265f / 2);
  ExpectNear(Apply(z, {1, 0, 0}), {0, 1, 0});
  D3DXMatrixRotationX(&x, 3.14159265f / 2);
  ExpectNear(Apply(x, {0, 1, 0}), {0, 0, 1});
  D3DXMatrixRotationY(&y, 3.14159265f / 2);
  ExpectNear(Apply(y, {0, 0, 1}), {1, 0, 0});
  const D3DXVECTOR3 zAxis{0, 0, 3};
  D3DXMatrixRotationAxis(&axis, &zAxis, 3.14159265f / 2);
  ExpectNear(Apply(axis, {1, 0, 0}), {0, 1, 0});
}

TEST(D3dxMath, MultiplyAppliesLeftFirstAndInverseUndoes) {
  D3DXMATRIX s, t, st, inv;
  D3DXMatrixScaling(&s, 2, 3, 4);
  D3DXMatrixTranslation(&t, 10, 20, 30);
  D3DXMatrixMultiply(&st, &s, &t);
  ExpectNear(Apply(st, {1, 1, 1}), {12, 23, 34});
  float det = 0;
  ASSERT_NE(D3DXMatrixInverse(&inv, &det, &st), nullptr);
  EXPECT_FLOAT_EQ(det, 24.0f);
  ExpectNear(Apply(inv, {12, 23, 34}), {1, 1, 1});
  D3DXMATRIX singular;
  D3DXMatrixScaling(&singular, 1, 0, 1);
  EXPECT_EQ(D3DXMatrixInverse(&inv, &det, &singular), nullptr);
  D3DXVECTOR3 n{1, 1, 1};
  D3DXVec3TransformNormal(&n, &n, &st);
  ExpectNear(n, {2, 3, 4});  // normals ignore translation
}

}  // namespace
}  // namespace glimmer
