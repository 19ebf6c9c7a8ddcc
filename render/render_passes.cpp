// The 3D passes of a frame: depth into the shadow map from an orthographic
// light camera, the lit scene pass into sceneTarget with the shadow map bound
// on texture unit 10, the mirrored reflection sub-pass, and drawMeshLit, the
// one call every lit mesh goes through.
#include <raylib.h>
#include <raymath.h>
#include <rlgl.h>

#include "render/renderer.h"

namespace {

constexpr float kLightDistance = 30.0f;
// Depth range of the light camera. The shadow bias of the lit shader is in
// light-space depth units, so this range sets it in metres: 4 cm, up to 18 cm
// on surfaces turned away. raylib's default range (4000 m) would make it
// 1.6 m and leave everything lower than that above the floor shadowless.
constexpr double kShadowNear = 0.05;
constexpr double kShadowFar = 100.0;
constexpr Color kShadowClear = {255, 255, 255, 255};

void setLitInt(Renderer& r, UniformSlot slot, int value) {
    SetShaderValue(r.shaders[kLitShader], r.uniformLocs[slot], &value, SHADER_UNIFORM_INT);
}

void bindShadowMap(unsigned int textureId) {
    rlActiveTextureSlot(kShadowTextureUnit);
    if (textureId != 0) rlEnableTexture(textureId);
    else rlDisableTexture();
    rlActiveTextureSlot(0);
}

} // namespace

void beginShadowPass(Renderer& r, Vector3 centre, Vector3 lightDirection, float extent) {
    r.pass = PASS_SHADOW;
    bindShadowMap(0); // never sample the map while it is written
    BeginTextureMode(r.shadowTarget);
    ClearBackground(kShadowClear);

    const Vector3 dir = Vector3Length(lightDirection) > 0 ? Vector3Normalize(lightDirection) : lightDirection;
    Camera3D light = {};
    light.position = Vector3Add(centre, Vector3Scale(dir, kLightDistance));
    light.target = centre;
    light.up = {0, 0, -1};
    light.fovy = extent;
    light.projection = CAMERA_ORTHOGRAPHIC;
    const double nearPlane = rlGetCullDistanceNear(), farPlane = rlGetCullDistanceFar();
    rlSetClipPlanes(kShadowNear, kShadowFar);
    BeginMode3D(light); // takes the clip planes now; the other passes keep theirs
    rlSetClipPlanes(nearPlane, farPlane);
    r.lightViewProj = MatrixMultiply(rlGetMatrixModelview(), rlGetMatrixProjection());
}

void endShadowPass(Renderer& r) {
    EndMode3D();
    EndTextureMode();
    r.pass = PASS_SCENE;
}

void beginScenePass(Renderer& r, Camera3D camera, Color clear, const SceneBackground& background) {
    r.camera = camera;
    BeginTextureMode(r.sceneTarget);
    ClearBackground(clear);
    if (background) {
        background((float)r.sceneWidth, (float)r.sceneHeight);
        rlDrawRenderBatchActive();
    }
    BeginMode3D(camera);
    Shader& lit = r.shaders[kLitShader];
    SetShaderValue(lit, r.uniformLocs[U_VIEW_POS], &camera.position, SHADER_UNIFORM_VEC3);
    SetShaderValueMatrix(lit, r.uniformLocs[U_LIGHT_VP], r.lightViewProj);
    setLitInt(r, U_USE_SHADOW, 1);
    setLitInt(r, U_REFLECT_PASS, 0);
    bindShadowMap(r.shadowDepthTexture);
    r.pass = PASS_SCENE;
}

void beginReflectionPass(Renderer& r) {
    rlDrawRenderBatchActive();
    r.pass = PASS_REFLECTION;
    setLitInt(r, U_REFLECT_PASS, 1);
    setLitInt(r, U_USE_SHADOW, 0);
    rlSetCullFace(RL_CULL_FACE_FRONT); // the mirror flips the winding
}

void endReflectionPass(Renderer& r) {
    rlDrawRenderBatchActive();
    rlSetCullFace(RL_CULL_FACE_BACK);
    setLitInt(r, U_REFLECT_PASS, 0);
    setLitInt(r, U_USE_SHADOW, 1);
    r.pass = PASS_SCENE;
}

void endScenePass(Renderer& r) {
    EndMode3D();
    EndTextureMode();
    bindShadowMap(0);
}

void drawMeshLit(Renderer& r, const Mesh& mesh, Matrix transform, Color colour, const MaterialParams& params,
                 Texture2D texture) {
    Matrix m = MatrixMultiply(transform, r.worldTransform);
    Material& mat = r.material;
    if (r.pass == PASS_SHADOW) {
        mat.shader = r.shaders[kDepthShader];
        mat.maps[MATERIAL_MAP_DIFFUSE].texture = r.whiteTexture;
    } else {
        if (r.pass == PASS_REFLECTION) m = MatrixMultiply(m, MatrixScale(1, -1, 1));
        Shader& lit = r.shaders[kLitShader];
        mat.shader = lit;
        mat.maps[MATERIAL_MAP_DIFFUSE].texture = texture.id != 0 ? texture : r.whiteTexture;
        mat.maps[MATERIAL_MAP_DIFFUSE].color = colour;
        SetShaderValue(lit, r.uniformLocs[U_MAT_A], &params.matA, SHADER_UNIFORM_VEC4);
        SetShaderValue(lit, r.uniformLocs[U_MAT_B], &params.matB, SHADER_UNIFORM_VEC4);
    }
    DrawMesh(mesh, mat, m);
}
