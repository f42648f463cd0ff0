int velcMain(int argc, char **argv);

int main(int argc, char **argv) { return velcMain(argc, argv); }
