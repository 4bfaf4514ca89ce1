int runBookReplyTests(int, char**) { return 0; }
