# ZORV_SANITIZE=address,undefined or thread applies to every target of the build.
if(ZORV_SANITIZE)
  set(_zorv_san "-fsanitize=${ZORV_SANITIZE}" -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(${_zorv_san} -g -O1)
  add_link_options(${_zorv_san})
endif()
