// Placeholder entry point until the start-up sequence lands; replaced by the loader.
int main() { return 0; }
