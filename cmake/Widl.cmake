# vq_compile_idl(<file.idl>): compiles an IDL file with widl for the target architecture into
# <binary dir>/generated/<name>.h, <name>_i.c (GUID definitions, compiled as C++) and
# <name>.tlb (to embed as TYPELIB 1). The 32-bit and 64-bit type libraries differ in their
# vtable offsets, so each build makes its own.
set(VQ_WIDL_INCLUDE /usr/include/wine/wine/windows CACHE PATH "System IDL files for widl (libwine-dev)")
# The 64-bit stdole2.tlb serves the i686 build too (it is there without 32-bit Wine): widl takes
# only the imported library's identity from it, and the i686 type library built against the
# 32-bit copy is the same, byte for byte.
set(VQ_STDOLE_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Folder holding stdole2.tlb")

function(vq_compile_idl idl)
  get_filename_component(name ${idl} NAME_WE)
  set(gen ${CMAKE_CURRENT_BINARY_DIR}/generated)
  file(MAKE_DIRECTORY ${gen})
  add_custom_command(
    OUTPUT ${gen}/${name}.h ${gen}/${name}_i.c ${gen}/${name}.tlb
    COMMAND ${VQ_WIDL} -I${VQ_WIDL_INCLUDE} -L${VQ_STDOLE_DIR}
            -h -H ${gen}/${name}.h -u -U ${gen}/${name}_i.c -t -T ${gen}/${name}.tlb
            ${CMAKE_CURRENT_SOURCE_DIR}/${idl}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${idl}
    COMMENT "Compiling the type library ${name}")
  set_source_files_properties(${gen}/${name}_i.c PROPERTIES LANGUAGE CXX)
endfunction()
