#include "document/mesh_loader.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <assimp/Importer.hpp>
#include <cmath>
#include <cstring>

namespace glimmer {

MeshData LoadXMesh(std::span<const uint8_t> bytes) {
  MeshData out;
  if (bytes.size() < 16) return out;
  Assimp::Importer importer;
  // Frames are merged into one mesh with their transforms; Direct3D's
  // left-handed conventions are kept; normals are computed afresh; the
  // faces are reordered for the vertex cache.
  const unsigned flags = aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                         aiProcess_PreTransformVertices | aiProcess_ConvertToLeftHanded |
                         aiProcess_ForceGenNormals | aiProcess_GenSmoothNormals |
                         aiProcess_ImproveCacheLocality | aiProcess_SortByPType;
  const aiScene* scene = importer.ReadFileFromMemory(bytes.data(), bytes.size(), flags, "x");
  if (!scene) return out;
  for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
    const aiMesh* mesh = scene->mMeshes[m];
    if (!(mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE)) continue;
    const size_t base = out.Vertices.size();
    if (base + mesh->mNumVertices > 0xFFFF) return MeshData{};  // beyond 16-bit indices
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
      const aiVector3D p = mesh->mVertices[i];
      const aiVector3D n = mesh->mNormals ? mesh->mNormals[i] : aiVector3D(0, 0, 0);
      const aiVector3D t =
          mesh->mTextureCoords[0] ? mesh->mTextureCoords[0][i] : aiVector3D(0, 0, 0);
      out.Vertices.push_back({p.x, p.y, p.z, n.x, n.y, n.z, t.x, t.y});
    }
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const aiFace& face = mesh->mFaces[f];
      if (face.mNumIndices != 3) continue;
      for (int k = 0; k < 3; ++k) {
        if (face.mIndices[k] >= mesh->mNumVertices) return MeshData{};
        out.Indices.push_back(static_cast<uint16_t>(base + face.mIndices[k]));
      }
    }
  }
  if (out.empty()) return MeshData{};
  // The bounding sphere: centred on the mean of the positions.
  double cx = 0, cy = 0, cz = 0;
  for (const MeshVertex& v : out.Vertices) cx += v.x, cy += v.y, cz += v.z;
  const double n = double(out.Vertices.size());
  out.Center = {float(cx / n), float(cy / n), float(cz / n)};
  float r2 = 0;
  for (const MeshVertex& v : out.Vertices) {
    const float dx = v.x - out.Center.x, dy = v.y - out.Center.y, dz = v.z - out.Center.z;
    r2 = std::max(r2, dx * dx + dy * dy + dz * dz);
  }
  out.Radius = std::sqrt(r2);
  return out;
}

MeshBuffers CreateMeshBuffers(GpuDevice& device, const MeshData& mesh) {
  MeshBuffers out;
  if (mesh.empty()) return out;
  out.VertexBuffer = device.CreateVertexBuffer(uint32_t(mesh.Vertices.size() * sizeof(MeshVertex)),
                                               D3DUSAGE_WRITEONLY, kMeshFvf, D3DPOOL_MANAGED);
  out.IndexBuffer = device.CreateIndexBuffer(uint32_t(mesh.Indices.size() * 2), D3DUSAGE_WRITEONLY,
                                             D3DFMT_INDEX16, D3DPOOL_MANAGED);
  if (void* v = out.VertexBuffer->Lock(0, 0)) {
    std::memcpy(v, mesh.Vertices.data(), mesh.Vertices.size() * sizeof(MeshVertex));
    out.VertexBuffer->Unlock();
  }
  if (void* i = out.IndexBuffer->Lock(0, 0)) {
    std::memcpy(i, mesh.Indices.data(), mesh.Indices.size() * 2);
    out.IndexBuffer->Unlock();
  }
  out.VertexCount = uint32_t(mesh.Vertices.size());
  out.FaceCount = uint32_t(mesh.Indices.size() / 3);
  out.Center = mesh.Center;
  out.Radius = mesh.Radius;
  return out;
}

}  // namespace glimmer
