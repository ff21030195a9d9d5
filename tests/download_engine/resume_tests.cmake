zd_test(resume_tests
  SOURCES EntryTest.cpp ResumeFileTest.cpp
  LIBS zd_download_engine zd_test_support)
# Resume files that once broke a reader, kept as regression inputs.
target_compile_definitions(resume_tests PRIVATE ZD_RESUME_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data/resume")
