"""The multibyte half of tools/gen/charsets.py (attribute tables, class trees, case deltas,
wide forms)."""


class Multi:
    def __init__(self):
        self.fields = {}
        self.parts = []
        self.decl = []

    def decls(self):
        return "".join(self.decl)

    def source(self, banner):
        return (banner("Attribute tables, class trees, case deltas and wide forms of the "
                       "multibyte sets.") +
                "#define ZUNT_CS_TABLES_INTERNAL\n#include \"cs_tables.h\"\n\n"
                "namespace zunt::cs {\n\n" + "".join(self.parts) + "}  // namespace zunt::cs\n")


def build(code):
    return Multi()
