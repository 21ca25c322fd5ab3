#include "XFileWriter.h"

#include <cstdio>

namespace {

class TextOut {
public:
    void Line(int depth, const std::string& text) {
        m_text.append(size_t(depth), ' ');
        m_text += text;
        m_text += '\n';
    }
    std::string Take() { return std::move(m_text); }

private:
    std::string m_text;
};

std::string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", value);
    return buffer;
}

// "a;b;c;" : the fields of one structure, each ended by ';'.
template <class Values>
std::string Fields(const Values& values) {
    std::string out;
    for (auto value : values) out += Number(value) + ";";
    return out;
}

// Array elements are separated by ',' and the array ends with ';'.
std::string ElementEnd(size_t index, size_t count) { return index + 1 < count ? "," : ";"; }

std::string IndexList(const std::vector<uint32_t>& indices) {
    std::string out = std::to_string(indices.size()) + ";";
    for (size_t i = 0; i < indices.size(); ++i) out += std::to_string(indices[i]) + (i + 1 < indices.size() ? "," : ";");
    return out;
}

void WriteFaces(TextOut& out, int depth, const std::vector<std::vector<uint32_t>>& faces) {
    for (size_t f = 0; f < faces.size(); ++f) out.Line(depth, IndexList(faces[f]) + ElementEnd(f, faces.size()));
    if (faces.empty()) out.Line(depth, ";");
}

template <size_t N>
void WriteVectors(TextOut& out, int depth, const std::vector<std::array<float, N>>& vectors) {
    for (size_t i = 0; i < vectors.size(); ++i) out.Line(depth, Fields(vectors[i]) + ElementEnd(i, vectors.size()));
    if (vectors.empty()) out.Line(depth, ";");
}

std::string Header(const std::string& type, const std::string& name) {
    return name.empty() ? type + " {" : type + " " + name + " {";
}

void WriteMaterial(TextOut& out, int depth, const XFileMaterial& material) {
    out.Line(depth, Header("Material", material.name));
    out.Line(depth + 1, Fields(material.diffuse) + ";");
    out.Line(depth + 1, Number(material.power) + ";");
    out.Line(depth + 1, Fields(material.specular) + ";");
    out.Line(depth + 1, Fields(material.emissive) + ";");
    if (!material.texture.empty()) {
        out.Line(depth + 1, "TextureFilename {");
        out.Line(depth + 2, "\"" + material.texture + "\";");
        out.Line(depth + 1, "}");
    }
    out.Line(depth, "}");
}

void WriteMaterialList(TextOut& out, int depth, const XFileMesh& mesh) {
    out.Line(depth, "MeshMaterialList {");
    out.Line(depth + 1, std::to_string(mesh.materialCountOverride.value_or(mesh.materials.size())) + ";");
    out.Line(depth + 1, std::to_string(mesh.faceMaterials.size()) + ";");
    for (size_t f = 0; f < mesh.faceMaterials.size(); ++f)
        out.Line(depth + 1, std::to_string(mesh.faceMaterials[f]) + ElementEnd(f, mesh.faceMaterials.size()));
    for (const XFileMaterial& material : mesh.materials) {
        if (material.byReference)
            out.Line(depth + 1, "{ " + material.name + " }");
        else
            WriteMaterial(out, depth + 1, material);
    }
    out.Line(depth, "}");
}

void WriteMesh(TextOut& out, int depth, const XFileMesh& mesh) {
    out.Line(depth, Header("Mesh", mesh.name));
    out.Line(depth + 1, std::to_string(mesh.vertexCountOverride.value_or(mesh.positions.size())) + ";");
    WriteVectors(out, depth + 1, mesh.positions);
    out.Line(depth + 1, std::to_string(mesh.faceCountOverride.value_or(mesh.faces.size())) + ";");
    WriteFaces(out, depth + 1, mesh.faces);
    if (!mesh.normals.empty()) {
        out.Line(depth + 1, "MeshNormals {");
        out.Line(depth + 2, std::to_string(mesh.normals.size()) + ";");
        WriteVectors(out, depth + 2, mesh.normals);
        out.Line(depth + 2, std::to_string(mesh.normalFaces.size()) + ";");
        WriteFaces(out, depth + 2, mesh.normalFaces);
        out.Line(depth + 1, "}");
    }
    if (!mesh.texcoords.empty()) {
        out.Line(depth + 1, "MeshTextureCoords {");
        out.Line(depth + 2, std::to_string(mesh.texcoords.size()) + ";");
        WriteVectors(out, depth + 2, mesh.texcoords);
        out.Line(depth + 1, "}");
    }
    if (!mesh.materials.empty() || mesh.materialCountOverride) WriteMaterialList(out, depth + 1, mesh);
    out.Line(depth, "}");
}

void WriteFrame(TextOut& out, int depth, const XFileFrame& frame) {
    out.Line(depth, Header("Frame", frame.name));
    if (frame.transform) {
        out.Line(depth + 1, "FrameTransformMatrix {");
        std::string values;
        for (size_t i = 0; i < 16; ++i) values += Number((*frame.transform)[i]) + (i < 15 ? "," : ";;");
        out.Line(depth + 2, values);
        out.Line(depth + 1, "}");
    }
    for (const XFileMesh& mesh : frame.meshes) WriteMesh(out, depth + 1, mesh);
    for (const XFileFrame& child : frame.children) WriteFrame(out, depth + 1, child);
    out.Line(depth, "}");
}

void CollectReferenced(const XFileMesh& mesh, std::vector<const XFileMaterial*>& out) {
    for (const XFileMaterial& material : mesh.materials)
        if (material.byReference) out.push_back(&material);
}

void CollectReferenced(const XFileFrame& frame, std::vector<const XFileMaterial*>& out) {
    for (const XFileMesh& mesh : frame.meshes) CollectReferenced(mesh, out);
    for (const XFileFrame& child : frame.children) CollectReferenced(child, out);
}

}  // namespace

std::string WriteXFileText(const XFileScene& scene) {
    TextOut out;
    out.Line(0, "xof 0303txt 0032");
    if (scene.withHeader) {
        out.Line(0, "template Header {");
        out.Line(1, "<6A1F0C2E-4D33-4E5B-9C0D-2B7A11E0F301>");
        out.Line(1, "WORD major;");
        out.Line(1, "WORD minor;");
        out.Line(1, "DWORD flags;");
        out.Line(0, "}");
        out.Line(0, "Header {");
        out.Line(1, "1;");
        out.Line(1, "0;");
        out.Line(1, "1;");
        out.Line(0, "}");
    }
    std::vector<const XFileMaterial*> referenced;
    for (const XFileMesh& mesh : scene.meshes) CollectReferenced(mesh, referenced);
    for (const XFileFrame& frame : scene.frames) CollectReferenced(frame, referenced);
    for (const XFileMaterial* material : referenced) WriteMaterial(out, 0, *material);
    for (const XFileMesh& mesh : scene.meshes) WriteMesh(out, 0, mesh);
    for (const XFileFrame& frame : scene.frames) WriteFrame(out, 0, frame);
    return out.Take();
}

XFileMesh XFileSquare(float x0, float y0, float x1, float y1, float z) {
    XFileMesh square;
    square.positions = {{x0, y0, z}, {x0, y1, z}, {x1, y1, z}, {x1, y0, z}};
    square.faces = {{0, 1, 2}, {0, 2, 3}};
    square.normals = {{0.0f, 0.0f, -1.0f}};
    square.normalFaces = {{0, 0, 0}, {0, 0, 0}};
    square.texcoords = {{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}};
    return square;
}
