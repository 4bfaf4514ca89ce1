int runChapterOperationTests(int, char**) { return 0; }
