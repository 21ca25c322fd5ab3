#include "XFileParse.h"

#include <charconv>
#include <cmath>
#include <map>

#include "XFileTokens.h"

namespace d3dx {
namespace {

constexpr size_t kHeaderBytes = 16;
constexpr int kMaxFrameDepth = 64;

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text.substr(0, 40)) + "'"; }

class XParser {
public:
    XParser(std::string_view body, uint32_t line) : m_tokens(body, line) {}

    std::string Parse(XScene& scene) {
        ParseTop(scene);
        return m_error;
    }

private:
    enum class Child { Object, Reference, End, Error };
    struct Header {
        std::string type;
        std::string name;
    };

    bool Fail(const std::string& what, uint32_t line) {
        if (m_error.empty()) m_error = "line " + std::to_string(line) + ": " + what;
        return false;
    }

    XToken NextValue() {
        XToken token = m_tokens.Next();
        while (token.kind == XTokenKind::Separator) token = m_tokens.Next();
        return token;
    }

    bool Unexpected(const XToken& token, const char* wanted) {
        if (token.kind == XTokenKind::End) return Fail(std::string("file ends where ") + wanted + " belongs", token.line);
        if (token.kind == XTokenKind::Unterminated) return Fail("unterminated " + Quoted(token.text), token.line);
        return Fail(std::string(wanted) + " expected, not " + Quoted(token.text), token.line);
    }

    bool ReadCount(DWORD& out) {
        const XToken token = NextValue();
        if (token.kind != XTokenKind::Integer) return Unexpected(token, "a count");
        uint64_t value = 0;
        const auto [end, error] = std::from_chars(token.text.data(), token.text.data() + token.text.size(), value);
        if (error == std::errc::result_out_of_range || (error == std::errc() && value > 0xFFFFFFFFu))
            return Fail("count " + Quoted(token.text) + " is too large", token.line);
        if (error != std::errc() || end != token.text.data() + token.text.size())
            return Fail("count " + Quoted(token.text) + " is not a whole number of 0 or more", token.line);
        out = DWORD(value);
        return true;
    }

    bool ReadIndex(DWORD& out, DWORD limit, const char* what) {
        const uint32_t line = m_tokens.Line();
        if (!ReadCount(out)) return false;
        if (out >= limit)
            return Fail(std::string(what) + " " + std::to_string(out) + " is not below the " + what + " count " +
                            std::to_string(limit),
                        line);
        return true;
    }

    bool ReadFloats(float* out, int count) {
        for (int i = 0; i < count; ++i) {
            const XToken token = NextValue();
            if (token.kind != XTokenKind::Integer && token.kind != XTokenKind::Float) return Unexpected(token, "a number");
            std::string_view text = token.text;
            if (text.front() == '+') text.remove_prefix(1);
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out[i]);
            if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(out[i]))
                return Fail("number " + Quoted(token.text) + " is out of range", token.line);
        }
        return true;
    }

    bool ReadVector(D3DXVECTOR3& out) {
        float v[3];
        if (!ReadFloats(v, 3)) return false;
        out = D3DXVECTOR3(v[0], v[1], v[2]);
        return true;
    }

    bool ReadString(std::string& out) {
        const XToken token = NextValue();
        if (token.kind != XTokenKind::String) return Unexpected(token, "a quoted name");
        out.assign(token.text);
        return true;
    }

    // The next object inside the current one (its '{' read), a reference
    // '{ name }', or the current object's '}' (read). At the top level the
    // end of the file ends the list.
    Child NextChild(Header& header, bool topLevel) {
        const XToken token = NextValue();
        switch (token.kind) {
            case XTokenKind::End:
                if (topLevel) return Child::End;
                Unexpected(token, "'}'");
                return Child::Error;
            case XTokenKind::Close:
                if (!topLevel) return Child::End;
                Fail("'}' without its '{'", token.line);
                return Child::Error;
            case XTokenKind::Open: return ReadReference(header);
            case XTokenKind::Name: break;
            default: Unexpected(token, topLevel ? "an object" : "an object or '}'"); return Child::Error;
        }
        header.type.assign(token.text);
        header.name.clear();
        XToken next = m_tokens.Next();
        if (next.kind == XTokenKind::Name) {
            header.name.assign(next.text);
            next = m_tokens.Next();
        }
        if (next.kind == XTokenKind::Guid) next = m_tokens.Next();
        if (next.kind != XTokenKind::Open) {
            Unexpected(next, ("'{' after " + header.type).c_str());
            return Child::Error;
        }
        return Child::Object;
    }

    Child ReadReference(Header& header) {
        const XToken name = m_tokens.Next();
        if (name.kind != XTokenKind::Name) {
            Unexpected(name, "a referenced name");
            return Child::Error;
        }
        header.type.clear();
        header.name.assign(name.text);
        XToken next = m_tokens.Next();
        if (next.kind == XTokenKind::Guid) next = m_tokens.Next();
        if (next.kind != XTokenKind::Close) {
            Unexpected(next, "'}' after a reference");
            return Child::Error;
        }
        return Child::Reference;
    }

    // After an object's '{': everything up to its matching '}'.
    bool SkipBody() {
        size_t depth = 1;
        while (depth > 0) {
            const XToken token = m_tokens.Next();
            if (token.kind == XTokenKind::Open) ++depth;
            if (token.kind == XTokenKind::Close) --depth;
            if (token.kind == XTokenKind::End || token.kind == XTokenKind::Unterminated)
                return Unexpected(token, "'}'");
        }
        return true;
    }

    // The children of the current object up to its '}' (at the top level,
    // up to the end of the file): onObject reads each object's body after
    // its '{', onReference takes each reference.
    template <class OnObject, class OnReference>
    bool ReadChildren(bool topLevel, OnObject onObject, OnReference onReference) {
        Header header;
        for (;;) {
            switch (NextChild(header, topLevel)) {
                case Child::End: return true;
                case Child::Error: return false;
                case Child::Reference:
                    if (!onReference(header)) return false;
                    break;
                case Child::Object:
                    if (!onObject(header)) return false;
                    break;
            }
        }
    }

    template <class OnObject>
    bool ReadChildren(OnObject onObject) {
        return ReadChildren(false, onObject, [](const Header&) { return true; });
    }

    // The rest of an object whose data are read: children are skipped.
    bool FinishObject() {
        return ReadChildren([&](const Header&) { return SkipBody(); });
    }

    bool ReadNamedMaterial(const Header& header, XMaterial& material) {
        if (!ParseMaterial(material)) return false;
        if (!header.name.empty()) m_namedMaterials[header.name] = material;
        return true;
    }

    void ParseTop(XScene& scene) {
        ReadChildren(
            true,
            [&](const Header& header) {
                if (header.type == "Frame") return ParseFrame(scene, 1);
                if (header.type == "Mesh") return ParseMesh(scene);
                XMaterial material;
                if (header.type == "Material") return ReadNamedMaterial(header, material);
                return SkipBody();
            },
            [](const Header&) { return true; });
    }

    // Meshes inside a frame are read untransformed; the frame applies its
    // matrix to all of them when it closes, so the matrix may come anywhere.
    bool ParseFrame(XScene& scene, int depth) {
        if (depth > kMaxFrameDepth) return Fail("frames nested deeper than 64", m_tokens.Line());
        const size_t firstMesh = scene.meshes.size();
        D3DXMATRIX local = Identity();
        const bool read = ReadChildren([&](const Header& header) {
            if (header.type == "FrameTransformMatrix") return ReadMatrix(local) && FinishObject();
            if (header.type == "Frame") return ParseFrame(scene, depth + 1);
            if (header.type == "Mesh") return ParseMesh(scene);
            return SkipBody();
        });
        if (!read) return false;
        for (size_t m = firstMesh; m < scene.meshes.size(); ++m)
            D3DXMatrixMultiply(&scene.meshes[m].transform, &scene.meshes[m].transform, &local);
        return true;
    }

    bool ReadMatrix(D3DXMATRIX& out) {
        float values[16];
        if (!ReadFloats(values, 16)) return false;
        for (int i = 0; i < 16; ++i) out.m[i / 4][i % 4] = values[i];
        return true;
    }

    bool ParseMesh(XScene& scene) {
        scene.meshes.emplace_back();
        XMeshData& mesh = scene.meshes.back();
        mesh.transform = Identity();
        DWORD count = 0;
        if (!ReadCount(count)) return false;
        for (DWORD v = 0; v < count; ++v) {
            D3DXVECTOR3 p;
            if (!ReadVector(p)) return false;
            mesh.positions.push_back(p);
        }
        if (!ReadCount(count)) return false;
        for (DWORD f = 0; f < count; ++f) {
            const uint32_t line = m_tokens.Line();
            DWORD corners = 0;
            if (!ReadCount(corners)) return false;
            if (corners < 3) return Fail("a face of " + std::to_string(corners) + " corners", line);
            mesh.faceSizes.push_back(corners);
            for (DWORD k = 0; k < corners; ++k) {
                DWORD index = 0;
                if (!ReadIndex(index, DWORD(mesh.positions.size()), "vertex")) return false;
                mesh.faceIndices.push_back(index);
            }
        }
        return ReadChildren([&](const Header& header) {
            if (header.type == "MeshNormals") return ParseNormals(mesh);
            if (header.type == "MeshTextureCoords") return ParseTexcoords(mesh);
            if (header.type == "MeshMaterialList") return ParseMaterialList(mesh);
            return SkipBody();
        });
    }

    bool ParseNormals(XMeshData& mesh) {
        mesh.normals.clear();
        mesh.normalIndices.clear();
        DWORD count = 0;
        if (!ReadCount(count)) return false;
        for (DWORD n = 0; n < count; ++n) {
            D3DXVECTOR3 normal;
            if (!ReadVector(normal)) return false;
            mesh.normals.push_back(normal);
        }
        const uint32_t line = m_tokens.Line();
        if (!ReadCount(count)) return false;
        if (count != mesh.faceSizes.size())
            return Fail(std::to_string(count) + " normal faces for " + std::to_string(mesh.faceSizes.size()) + " faces",
                        line);
        for (DWORD f = 0; f < count; ++f) {
            const uint32_t faceLine = m_tokens.Line();
            DWORD corners = 0;
            if (!ReadCount(corners)) return false;
            if (corners != mesh.faceSizes[f])
                return Fail("normal face " + std::to_string(f) + " has " + std::to_string(corners) + " corners, not " +
                                std::to_string(mesh.faceSizes[f]),
                            faceLine);
            for (DWORD k = 0; k < corners; ++k) {
                DWORD index = 0;
                if (!ReadIndex(index, DWORD(mesh.normals.size()), "normal")) return false;
                mesh.normalIndices.push_back(index);
            }
        }
        mesh.hasNormals = true;
        return FinishObject();
    }

    bool ParseTexcoords(XMeshData& mesh) {
        mesh.texcoords.clear();
        const uint32_t line = m_tokens.Line();
        DWORD count = 0;
        if (!ReadCount(count)) return false;
        if (count != mesh.positions.size())
            return Fail(std::to_string(count) + " texture coordinates for " + std::to_string(mesh.positions.size()) +
                            " vertices",
                        line);
        for (DWORD v = 0; v < count; ++v) {
            float uv[2];
            if (!ReadFloats(uv, 2)) return false;
            mesh.texcoords.push_back(D3DXVECTOR2(uv[0], uv[1]));
        }
        mesh.hasTexcoords = true;
        return FinishObject();
    }

    bool ParseMaterialList(XMeshData& mesh) {
        const uint32_t line = m_tokens.Line();
        DWORD materialCount = 0, indexCount = 0;
        if (!ReadCount(materialCount) || !ReadCount(indexCount)) return false;
        if (indexCount > mesh.faceSizes.size())
            return Fail(std::to_string(indexCount) + " face materials for " + std::to_string(mesh.faceSizes.size()) +
                            " faces",
                        line);
        std::vector<DWORD> faceMaterials;
        for (DWORD f = 0; f < indexCount; ++f) {
            DWORD index = 0;
            if (!ReadIndex(index, materialCount, "material")) return false;
            faceMaterials.push_back(index);
        }
        // Faces past the list take its last material.
        faceMaterials.resize(mesh.faceSizes.size(), faceMaterials.empty() ? 0 : faceMaterials.back());
        std::vector<XMaterial> materials;
        const bool read = ReadChildren(
            false,
            [&](const Header& header) {
                if (header.type != "Material") return SkipBody();
                materials.emplace_back();
                return ReadNamedMaterial(header, materials.back());
            },
            [&](const Header& header) {
                const auto named = m_namedMaterials.find(header.name);
                if (named == m_namedMaterials.end())
                    return Fail("no material named " + Quoted(header.name), m_tokens.Line());
                materials.push_back(named->second);
                return true;
            });
        if (!read) return false;
        if (materials.size() != materialCount)
            return Fail("a material list of " + std::to_string(materialCount) + " holds " +
                            std::to_string(materials.size()),
                        line);
        mesh.hasMaterials = materialCount > 0;
        mesh.materials = std::move(materials);
        mesh.faceMaterials = std::move(faceMaterials);
        return true;
    }

    bool ParseMaterial(XMaterial& out) {
        D3DMATERIAL9& m = out.material;
        float diffuse[4], specular[3], emissive[3];
        if (!ReadFloats(diffuse, 4) || !ReadFloats(&m.Power, 1) || !ReadFloats(specular, 3) || !ReadFloats(emissive, 3))
            return false;
        m.Diffuse = D3DCOLORVALUE{diffuse[0], diffuse[1], diffuse[2], diffuse[3]};
        m.Specular = D3DCOLORVALUE{specular[0], specular[1], specular[2], 1.0f};
        m.Emissive = D3DCOLORVALUE{emissive[0], emissive[1], emissive[2], 1.0f};
        return ReadChildren([&](const Header& header) {
            if (header.type == "TextureFilename" || header.type == "TextureFileName")
                return ReadString(out.texture) && FinishObject();
            return SkipBody();
        });
    }

    XTokenizer m_tokens;
    std::string m_error;
    std::map<std::string, XMaterial> m_namedMaterials;
};

}  // namespace

std::string ParseXFile(std::string_view file, XScene& scene) {
    if (file.size() < kHeaderBytes || file.substr(0, 4) != "xof ") return "not an .X file";
    const std::string_view format = file.substr(8, 4);
    if (format != "txt ") return "format " + Quoted(format) + " is not read: only text .X files are";
    const std::string_view floatBits = file.substr(12, 4);
    if (floatBits != "0032" && floatBits != "0064") return "float size " + Quoted(floatBits) + " is unknown";
    return XParser(file.substr(kHeaderBytes), 1).Parse(scene);
}

}  // namespace d3dx
