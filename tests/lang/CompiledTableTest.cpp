// The language table compiled into the command-line tool against the .qm files lrelease
// makes from the same catalogues: both must give every string the same text.
#include "cli/CompiledLanguages.h"

#include "platform/Language.h"
#include "resources/StringIds.h"

#include <QFile>
#include <QTranslator>

#include <gtest/gtest.h>

#include <string>

// The table of tests/cli/data/table_fixture.ts.
std::span<const CompiledCatalogue> fixtureCatalogues();

namespace {

// Missing texts are empty on both sides, as the core's lookup answers them.
void expectSameTexts(const std::string& qmPath, const CompiledCatalogue& catalogue)
{
    SCOPED_TRACE(qmPath);
    QFile file(QString::fromStdString(qmPath));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QTranslator translator;
    ASSERT_TRUE(translator.load(reinterpret_cast<const uchar*>(data.constData()), static_cast<int>(data.size())));
    const CCompiledLanguage module(catalogue);
    for (int id = kFirstStringId; id <= kLastStringId; ++id) {
        const std::string key = "IDS_" + std::to_string(id);
        const std::string fromQm = translator.translate("", key.c_str()).toStdString();
        std::string compiled;
        if (!module.loadString(id, compiled))
            compiled.clear();
        EXPECT_EQ(compiled, fromQm) << key;
    }
    for (const CompiledText* named = catalogue.named; named->key; ++named)
        EXPECT_EQ(named->text, translator.translate("", named->key).toStdString()) << named->key;
}

TEST(CompiledTable, EqualsTheQmFiles)
{
    for (const lang::FileEntry& entry : lang::fileTable()) {
        const CompiledCatalogue* catalogue = compiledCatalogue(entry.file);
        ASSERT_NE(catalogue, nullptr) << entry.file;
        expectSameTexts(std::string(NEXO_TEST_LNG_DIR) + "/" + entry.file + ".qm", *catalogue);
    }
    ASSERT_EQ(fixtureCatalogues().size(), 1u);
    expectSameTexts(NEXO_TEST_FIXTURE_QM, fixtureCatalogues()[0]);
}

}  // namespace
