// The six shader programs. Attribute and uniform names are fixed: raylib fills
// "mvp", "matModel", "matNormal", "colDiffuse" and "texture0" itself, the
// renderer looks the others up by name.
#include "render/shader_sources.h"

// Lit: crowd billboards bob on their own phase (texcoord2 = phase, height
// weight); everything else passes world position, normal and light-space
// position to the fragment stage.
const char* const kLitVertexSource = R"(#version 330
in vec3 vertexPosition;
in vec2 vertexTexCoord;
in vec3 vertexNormal;
in vec4 vertexColor;
in vec2 vertexTexCoord2;

uniform mat4 mvp;
uniform mat4 matModel;
uniform mat4 matNormal;
uniform mat4 lightVP;
uniform float time;
uniform int crowdMode;
uniform float crowdHype;

out vec3 fragPos;
out vec2 fragUV;
out vec3 fragNormal;
out vec4 fragColor;
out vec4 fragLight;

void main() {
    vec3 p = vertexPosition;
    vec2 uv = vertexTexCoord;
    if (crowdMode == 1) {
        float ph = vertexTexCoord2.x;
        float w = vertexTexCoord2.y;
        float spd = 2.0 + fract(ph * 7.13) * 2.5;
        float bob = abs(sin(time * spd * (1.0 + crowdHype) + ph * 6.2831)) * (0.015 + 0.2 * crowdHype) * w;
        p.y += bob;
        p.x += sin(time * 1.3 + ph * 20.0) * 0.015 * w;
    }
    vec4 wp = matModel * vec4(p, 1.0);
    fragPos = wp.xyz;
    fragUV = uv;
    fragNormal = normalize((matNormal * vec4(vertexNormal, 0.0)).xyz);
    fragColor = vertexColor;
    fragLight = lightVP * wp;
    gl_Position = mvp * vec4(p, 1.0);
}
)";

// Lit: key light with a 5x5 filtered shadow map, optional spot, three
// shadowless fills, hemisphere ambient, fresnel rim, a fake environment term,
// emissive, the darkening of mirrored geometry, fog and an ACES tone map.
const char* const kLitFragmentSource = R"(#version 330
in vec3 fragPos;
in vec2 fragUV;
in vec3 fragNormal;
in vec4 fragColor;
in vec4 fragLight;

uniform sampler2D texture0;
uniform sampler2D shadowMap;
uniform vec4 colDiffuse;
uniform vec3 viewPos;
uniform vec3 keyDir;
uniform vec3 keyCol;
uniform vec3 fillDir[3];
uniform vec3 fillCol[3];
uniform vec3 skyCol;
uniform vec3 groundCol;
uniform vec3 fogCol;
uniform float fogDensity;
uniform vec4 matA;
uniform vec4 matB;
uniform int useShadow;
uniform int reflectPass;
uniform float shadowTexel;
uniform float exposure;
uniform vec3 spotPos;
uniform vec3 spotDir;
uniform vec3 spotCol;
uniform vec2 spotCone;
uniform int crowdCut;

out vec4 finalColor;

// pow(0, 0) is undefined in GLSL; a surface facing away gets no highlight.
float highlight(float ndh, float shininess) {
    return ndh > 0.0 ? pow(ndh, shininess) : 0.0;
}

float shadowFactor(vec3 n) {
    vec3 projected = fragLight.xyz / fragLight.w * 0.5 + 0.5;
    if (projected.x < 0.0 || projected.x > 1.0 || projected.y < 0.0 || projected.y > 1.0 || projected.z > 1.0)
        return 1.0;
    float bias = max(0.0018 * (1.0 - dot(n, keyDir)), 0.0004);
    float lit = 0.0;
    for (int y = -2; y <= 2; ++y) {
        for (int x = -2; x <= 2; ++x) {
            float stored = texture(shadowMap, projected.xy + vec2(float(x), float(y)) * shadowTexel).r;
            if (!(projected.z - bias > stored)) lit += 1.0;
        }
    }
    return lit / 25.0;
}

vec3 acesFit(vec3 x) {
    return clamp((x * (2.51 * x + 0.03)) / (x * (2.43 * x + 0.59) + 0.14), 0.0, 1.0);
}

void main() {
    vec4 tex = texture(texture0, fragUV + vec2(matB.z, 0.0));
    vec4 base = tex * colDiffuse * fragColor;
    if (crowdCut == 1) {
        if (base.a < 0.5) discard;
    } else if (base.a < 0.05) {
        discard;
    }

    vec3 albedo = pow(base.rgb, vec3(2.2));
    bool mirrored = reflectPass == 1;
    vec3 n = normalize(fragNormal);
    // The mirror flips the winding: faces that were in front arrive as back faces.
    bool backFace = mirrored ? gl_FrontFacing : !gl_FrontFacing;
    if (backFace) n = -n;
    // A mirror image is shaded as the real point seen by the mirrored eye, so
    // the lights stay where they are: undersides stay dark, lit sides stay lit.
    vec3 unmirror = vec3(1.0, mirrored ? -1.0 : 1.0, 1.0);
    vec3 pos = fragPos * unmirror;
    n *= unmirror;
    vec3 v = normalize(viewPos * unmirror - pos);
    float spec = matA.x;
    float shininess = matA.y;
    float rim = matA.z;
    float wrap = matA.w;

    float sh = useShadow == 1 ? shadowFactor(n) : 1.0;

    float ndl = dot(n, keyDir);
    float diffuse = max((ndl + wrap) / (1.0 + wrap), 0.0);
    vec3 h = normalize(keyDir + v);
    float specular = highlight(max(dot(n, h), 0.0), shininess) * spec * (shininess + 8.0) / 25.0;
    vec3 colour = albedo * keyCol * diffuse * sh + keyCol * specular * sh * (ndl >= 0.0 ? 1.0 : 0.0);

    colour += albedo * keyCol * wrap * 0.18 * vec3(1.0, 0.35, 0.22) * (1.0 - abs(ndl));

    if (spotCol.r + spotCol.g + spotCol.b > 0.0) {
        vec3 L = spotPos - pos;
        float d = length(L);
        L = normalize(L);
        float cone = smoothstep(spotCone.y, spotCone.x, dot(-L, normalize(spotDir)));
        float attenuation = cone / (1.0 + 0.015 * d * d);
        float spotNdl = dot(n, L);
        float spotDiffuse = max((spotNdl + wrap) / (1.0 + wrap), 0.0);
        vec3 spotH = normalize(L + v);
        float spotSpecular = highlight(max(dot(n, spotH), 0.0), shininess) * spec * (shininess + 8.0) / 25.0;
        colour += (albedo * spotDiffuse + spotSpecular) * spotCol * attenuation * (0.35 + 0.65 * sh);
    }

    for (int i = 0; i < 3; ++i) {
        vec3 L = normalize(fillDir[i]);
        float fillDiffuse = max((dot(n, L) + wrap * 0.5) / (1.0 + wrap * 0.5), 0.0);
        float fillSpecular = highlight(max(dot(n, normalize(L + v)), 0.0), shininess) * spec * 0.7;
        colour += albedo * fillCol[i] * fillDiffuse + fillCol[i] * fillSpecular;
    }

    vec3 amb = mix(groundCol, skyCol, n.y * 0.5 + 0.5);
    colour += albedo * amb;

    float fres = pow(1.0 - max(dot(n, v), 0.0), 3.0);
    colour += rim * fres * (amb * 1.6 + fillCol[1] * 0.7);

    vec3 r = reflect(-v, n);
    float envv = smoothstep(0.1, 0.9, r.y) * 1.3 + 0.1;
    colour += matB.x * envv * (skyCol * 2.5 + keyCol * 0.25) * (0.35 + fres);

    colour += albedo * matB.y * 2.5;

    float alpha = base.a * matB.w;
    if (reflectPass == 1) colour *= 0.6 * exp(fragPos.y * 0.9);

    float f = 1.0 - exp(-fogDensity * distance(viewPos, fragPos));
    colour = mix(colour, fogCol, clamp(f, 0.0, 1.0));

    colour = pow(acesFit(colour * exposure), vec3(1.0 / 2.2));
    finalColor = vec4(colour, alpha);
}
)";

// Depth only: the colour is irrelevant, the depth buffer is the shadow map.
const char* const kDepthVertexSource = R"(#version 330
in vec3 vertexPosition;
uniform mat4 mvp;
void main() {
    gl_Position = mvp * vec4(vertexPosition, 1.0);
}
)";

const char* const kDepthFragmentSource = R"(#version 330
out vec4 finalColor;
void main() {
    finalColor = vec4(1.0);
}
)";

// Bloom bright pass: a 2x2 box average, kept only above the threshold.
const char* const kBrightFragmentSource = R"(#version 330
in vec2 fragTexCoord;
in vec4 fragColor;
uniform sampler2D texture0;
uniform vec2 texel;
uniform float threshold;
out vec4 finalColor;
void main() {
    vec3 c = (texture(texture0, fragTexCoord + texel * vec2(-1.0, -1.0)).rgb +
              texture(texture0, fragTexCoord + texel * vec2(1.0, -1.0)).rgb +
              texture(texture0, fragTexCoord + texel * vec2(-1.0, 1.0)).rgb +
              texture(texture0, fragTexCoord + texel * vec2(1.0, 1.0)).rgb) * 0.25;
    float l = max(c.r, max(c.g, c.b));
    float k = smoothstep(threshold, threshold + 0.3, l);
    finalColor = vec4(c * k, 1.0);
}
)";

// Bloom blur: a 9-tap gaussian folded into 5 bilinear taps along dir.
const char* const kBlurFragmentSource = R"(#version 330
in vec2 fragTexCoord;
in vec4 fragColor;
uniform sampler2D texture0;
uniform vec2 dir;
out vec4 finalColor;
void main() {
    vec3 c = texture(texture0, fragTexCoord).rgb * 0.227027 +
             (texture(texture0, fragTexCoord + 1.3846 * dir).rgb +
              texture(texture0, fragTexCoord - 1.3846 * dir).rgb) * 0.3162162 +
             (texture(texture0, fragTexCoord + 3.2308 * dir).rgb +
              texture(texture0, fragTexCoord - 3.2308 * dir).rgb) * 0.0702703;
    finalColor = vec4(c, 1.0);
}
)";

// Composite: scene plus bloom, saturation, contrast, cool shadows and warm
// highlights, vignette. time and res are uploaded for the frame but unused.
const char* const kPostFragmentSource = R"(#version 330
in vec2 fragTexCoord;
in vec4 fragColor;
uniform sampler2D texture0;
uniform sampler2D bloomTex;
uniform float bloomStrength;
uniform float time;
uniform vec2 res;
uniform float vignette;
uniform float saturation;
out vec4 finalColor;
void main() {
    vec3 c = texture(texture0, fragTexCoord).rgb + texture(bloomTex, fragTexCoord).rgb * bloomStrength;
    float l = dot(c, vec3(0.299, 0.587, 0.114));
    c = mix(vec3(l), c, saturation);
    c = (c - 0.5) * 1.08 + 0.5;
    c = mix(c * vec3(0.97, 0.99, 1.04), c * vec3(1.04, 1.01, 0.95), smoothstep(0.2, 0.8, l));
    vec2 d = fragTexCoord - 0.5;
    c *= 1.0 - dot(d, d) * 0.7 * vignette;
    finalColor = vec4(c, 1.0);
}
)";

// Title text: a metal gradient down the glyph band with a moving highlight.
// y0 and h are in target pixels, y0 the bottom-up row of the band's top.
const char* const kChromeFragmentSource = R"(#version 330
in vec2 fragTexCoord;
in vec4 fragColor;
uniform sampler2D texture0;
uniform float y0;
uniform float h;
uniform float time;
uniform int style;
out vec4 finalColor;
void main() {
    float a = texture(texture0, fragTexCoord).a * fragColor.a;
    if (a < 0.01) discard;
    float k = clamp((y0 - gl_FragCoord.y) / h, 0.0, 1.0);
    vec3 colour;
    if (style == 0) {
        if (k < 0.48) colour = mix(vec3(1.0), vec3(0.72, 0.74, 0.78), k / 0.48);
        else if (k < 0.53) colour = mix(vec3(0.28, 0.29, 0.33), vec3(0.42, 0.43, 0.47), (k - 0.48) / 0.05);
        else colour = mix(vec3(0.62, 0.64, 0.68), vec3(0.95, 0.96, 0.98), (k - 0.53) / 0.47);
    } else if (style == 1) {
        colour = mix(vec3(1.0, 0.97, 0.75), vec3(0.95, 0.55, 0.1), k);
        if (k > 0.5) colour *= 0.85 + 0.15 * sin(k * 30.0);
    } else {
        colour = mix(vec3(1.0, 0.85, 0.3), vec3(1.0, 0.2, 0.6), k);
    }
    float sweep = fract(time * 0.22) * 3.0 - 1.0;
    // smoothstep(0.06, 0, x) written with ordered edges (reversed edges are undefined in GLSL).
    float s = 1.0 - smoothstep(0.0, 0.06, abs(gl_FragCoord.x / 1920.0 - sweep + k * 0.25));
    colour += s * 0.7;
    finalColor = vec4(colour, a);
}
)";
