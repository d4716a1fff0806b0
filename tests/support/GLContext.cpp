#include "support/GLContext.h"

#include <SDL/SDL.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace zeltest {

bool ensureGLContext(std::string* error) {
    static bool created = false;
    static std::string failure;
    if (created)
        return true;
    if (!failure.empty()) {
        if (error)
            *error = failure;
        return false;
    }
    // Never fall back to SDL's text-mode drivers: they would take over the terminal.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    // Shaders are compiled afresh in every test process, so no test depends on
    // what earlier runs left in a shader cache shared by the user's programs.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) {
        failure = std::string("SDL_Init failed: ") + SDL_GetError();
    } else {
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        if (SDL_SetVideoMode(800, 600, 24, SDL_OPENGL) == nullptr) {
            failure = std::string("SDL_SetVideoMode failed: ") + SDL_GetError();
        } else if (glewInit() != GLEW_OK) {
            failure = "glewInit failed";
        } else {
            created = true;
            keepLoadedLibraries();
            return true;
        }
    }
    if (error)
        *error = failure;
    return false;
}

void keepLoadedLibraries() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            // RTLD_NOLOAD only takes a new reference to a library already in
            // memory; RTLD_NODELETE makes the loader ignore every later unload.
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

void GLTest::SetUp() {
    std::string error;
    ASSERT_TRUE(ensureGLContext(&error)) << error;
    while (glGetError() != GL_NO_ERROR) {
    }
}

void GLTest::TearDown() {
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

Pixel readPixel(int x, int y) {
    Pixel p{};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    return p;
}

namespace {

// Viewport over the window, projection from the caller, identity model-view,
// depth testing off.
template <class Projection> void windowView(Projection projection) {
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    projection();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
}

} // namespace

void orthoView(double left, double right, double bottom, double top) {
    windowView([&] { glOrtho(left, right, bottom, top, -1.0, 1.0); });
}

void perspectiveView(double fovY, double zNear, double zFar) {
    windowView([&] { gluPerspective(fovY, 800.0 / 600.0, zNear, zFar); });
}

void pixelView() {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    orthoView(0.0, 800.0, 0.0, 600.0);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void expectPixel(int x, int y, int r, int g, int b, int tolerance) {
    const Pixel p = readPixel(x, y);
    EXPECT_NEAR(p.r, r, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p.g, g, tolerance) << "at " << x << "," << y;
    EXPECT_NEAR(p.b, b, tolerance) << "at " << x << "," << y;
}

std::string scratchDir(const std::string& name) {
    const char* base = std::getenv("ZEL_TEST_DIR");
    std::filesystem::path dir =
        std::filesystem::path(base ? base : std::filesystem::temp_directory_path().string()) / "scratch" /
        name;
    // Each test case (CTest runs them as parallel processes) gets a folder of its own.
    if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info())
        dir /= std::string(test->test_suite_name()) + "." + test->name();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::array<float, 4> uniformValue(GLhandleARB program, const char* name, bool sampler) {
    std::array<float, 4> v{-7, -7, -7, -7};
    const GLint at = glGetUniformLocationARB(program, name);
    EXPECT_NE(at, -1) << name;
    if (at == -1)
        return v;
    if (sampler) {
        GLint unit = -7;
        glGetUniformivARB(program, at, &unit);
        v[0] = static_cast<float>(unit);
    } else {
        glGetUniformfvARB(program, at, v.data());
    }
    return v;
}

void expectNear(const zel::Vector3& actual, const zel::Vector3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

std::string writeFile(const std::string& dir, const std::string& name, const std::string& text) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int runCommand(const std::string& command, std::string& out, std::string& err, const std::string& dir) {
    const int status = std::system((command + " >" + dir + "/stdout 2>" + dir + "/stderr").c_str());
    out = readFile(dir + "/stdout");
    err = readFile(dir + "/stderr");
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace zeltest
