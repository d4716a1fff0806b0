# Finds the libraries the engine links, for the build and for projects that use
# the installed package. FindSDL gives the imported target SDL::SDL; FindSDL_image
# gives only variables, so the image library becomes the target zel::SDL_image.
if(DEFINED CMAKE_FIND_PACKAGE_NAME)
  # Inside an installed package's config: a missing library makes the package
  # not found, with the reason, instead of failing the consumer's configure.
  include(CMakeFindDependencyMacro)
  macro(zel_find_dependency)
    find_dependency(${ARGV})
  endmacro()
else()
  macro(zel_find_dependency)
    find_package(${ARGV} REQUIRED)
  endmacro()
endif()
zel_find_dependency(OpenGL COMPONENTS OpenGL)
zel_find_dependency(GLEW)
zel_find_dependency(SDL)
zel_find_dependency(SDL_image)
zel_find_dependency(LibXml2)
if(NOT TARGET zel::SDL_image)
  add_library(zel::SDL_image INTERFACE IMPORTED)
  set_target_properties(zel::SDL_image PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${SDL_IMAGE_INCLUDE_DIRS}"
    INTERFACE_LINK_LIBRARIES "${SDL_IMAGE_LIBRARIES}")
endif()
