# The fuzz targets, each built from <name>_fuzzer.cpp with its seeds in
# corpus/<name> and the inputs of faults found and mended in regressions/<name>.
set(MUGWARP_FUZZ_TARGETS
  bmp gif gif_lzw jpeg elf_resources pe_resources pe_imports pipl discovery runner_messages editor_messages clipart
  descriptor settings_file recovery_file png webp heif exif picture_file project_file)
