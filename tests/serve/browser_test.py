#!/usr/bin/python3
"""The parameter screens in a real browser: headless Chromium at 1366x768 driven through Selenium.

Usage: browser_test.py STOCKREPORTS WORKDIR
Exits 77 (skipped) when Chromium, its driver, Selenium or pdftotext is missing.
"""
import datetime
import os
import shutil
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

SKIP = 77
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("selenium not installed: skipped")
    sys.exit(SKIP)

DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
if not os.path.exists(DRIVER) or not shutil.which("pdftotext"):
    print("chromium-driver or pdftotext not installed: skipped")
    sys.exit(SKIP)

STOCKREPORTS, WORK = sys.argv[1], sys.argv[2]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait(driver, what, condition, timeout=60):
    try:
        return WebDriverWait(driver, timeout, poll_frequency=0.05).until(lambda d: condition())
    except Exception:
        driver.save_screenshot(os.path.join(WORK, "falha.png"))
        raise AssertionError("timed out waiting for " + what)


def field(driver, name):
    return driver.find_element(By.ID, "campo-" + name)


def type_into(driver, name, text):
    # As a clerk does: into the field, select what it holds, type over it. The field has the
    # focus throughout, so no answer still on its way from the server rewrites it.
    f = field(driver, name)
    f.click()
    f.send_keys(Keys.CONTROL, "a")
    f.send_keys(text)


def status(driver):
    return driver.find_element(By.ID, "situacao").text


def open_screen(driver, base, report):
    driver.get(base + "/relatorio/" + report)
    wait(driver, report + "'s fields", lambda: driver.execute_script("return document.body.dataset.pronta") == "1")


def in_view(driver, element):
    return driver.execute_script(
        "const r = arguments[0].getBoundingClientRect(); return r.top >= 0 && r.top < window.innerHeight;", element)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(os.path.join(WORK, "telas"))
    db = os.path.join(WORK, "demo.db")
    # Enough products that the listing prints for seconds: its progress and its stop are seen.
    subprocess.run([STOCKREPORTS, "demo", "--db", db, "--products", "40000"], check=True,
                   stdout=subprocess.DEVNULL)
    port = free_port()
    server = subprocess.Popen([STOCKREPORTS, "serve", "--db", db, "--port", str(port)],
                              stdout=subprocess.PIPE, text=True)
    base = "http://127.0.0.1:%d" % port
    assert base in server.stdout.readline()
    options = webdriver.ChromeOptions()
    for arg in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--window-size=1366,768",
                "--lang=pt-BR", "--user-data-dir=" + os.path.join(WORK, "chromium")):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    try:
        try:
            screens(driver, base)
            listing(driver, base)
            required(driver, base)
            question(driver, base)
        except Exception:
            # What the page showed, for the failure's report.
            driver.save_screenshot(os.path.join(WORK, "falha-final.png"))
            for name in ("situacao", "aviso-campos", "erro-impressao"):
                found = driver.find_elements(By.ID, name)
                print(name + ":", found[0].text if found else "-")
            raise
        print("browser test passed")
    finally:
        driver.quit()
        server.terminate()
        server.wait(timeout=30)


def screens(driver, base):
    """Every report's screen, pictured; titles in one style; choices as lists of meanings."""
    driver.get(base + "/")
    links = driver.find_elements(By.CSS_SELECTOR, "ul.relatorios a")
    titles = [a.text for a in links]
    # Sentence case: no capitalised word after the first (acronyms such as EFD stay).
    assert titles and all(t[0].isupper() and not any(len(w) > 1 and w[0].isupper() and w[1:].islower()
                                                     for w in t.split()[1:]) for t in titles), titles
    driver.save_screenshot(os.path.join(WORK, "telas", "inicio.png"))
    for name in [a.get_attribute("id")[len("rel-"):] for a in links]:
        open_screen(driver, base, name)
        for label in driver.find_elements(By.TAG_NAME, "label"):
            assert not label.text.startswith("p") or " " in label.text, label.text
        driver.save_screenshot(os.path.join(WORK, "telas", name + ".png"))


def listing(driver, base):
    open_screen(driver, base, "stockListing")
    # The period starts as the previous year, counted from today.
    year = datetime.date.today().year - 1
    assert field(driver, "pDataInicial").get_attribute("value") == "01/01/%d" % year
    assert field(driver, "pDataFinal").get_attribute("value") == "31/12/%d" % year
    # Choices carry their meaning; companies come from the database by code and name.
    model = Select(field(driver, "pModelo"))
    assert [o.text for o in model.options] == ["Listagem simples", "Por indicador de propriedade"]
    assert model.first_selected_option.get_attribute("value") == "1"
    companies = driver.find_elements(By.CSS_SELECTOR, "#lista-pCodigoEmpresa option")
    wait(driver, "the companies", lambda: driver.find_elements(By.CSS_SELECTOR, "#lista-pCodigoEmpresa option"))
    companies = driver.find_elements(By.CSS_SELECTOR, "#lista-pCodigoEmpresa option")
    assert companies[0].get_attribute("value") == "1" and " - " in companies[0].get_attribute("label"), \
        companies[0].get_attribute("label")
    type_into(driver, "pCodigoEmpresa", "1;3..5")  # lists and ranges still typed

    # The calendar writes the date in the field as dd/mm/aaaa.
    driver.execute_script("""const p = document.querySelector('#campo-pDataFinal').parentNode.querySelector('.calendario');
        p.value = '2026-11-30'; p.dispatchEvent(new Event('change'));""")
    wait(driver, "the calendar's date", lambda: field(driver, "pDataFinal").get_attribute("value") == "30/11/2026")

    # Enter on a bad date: the field's error shows, and stays.
    type_into(driver, "pDataInicial", "32/13/2026")
    field(driver, "pDataInicial").send_keys(Keys.ENTER)
    error = driver.find_element(By.ID, "erro-pDataInicial")
    wait(driver, "the date's error", lambda: "'32/13/2026' não é uma data válida" in error.text)
    time.sleep(0.5)
    assert "não é uma data válida" in error.text, error.text
    assert "pDataInicial" not in error.text and "Data inicial" in error.text, error.text
    button = driver.find_element(By.ID, "imprimir")
    assert not button.is_enabled()
    driver.save_screenshot(os.path.join(WORK, "erro.png"))

    # Fixed, it prints: the PDF is offered at once, named, in view; no preview drawn.
    type_into(driver, "pDataInicial", "01/01/2026")
    type_into(driver, "pDataFinal", "31/12/2026")
    Select(field(driver, "pOrdem")).select_by_visible_text("Descrição")
    wait(driver, "the error to go", lambda: error.text == "" and button.is_enabled())
    # Every value the page gives the progress bar, however fast the print runs.
    driver.execute_script("""window.valoresProgresso = [];
        new MutationObserver(() => { const p = document.getElementById('progresso'); window.valoresProgresso.push([p.value, p.max]); })
            .observe(document.getElementById('progresso'), {attributes: true, attributeFilter: ['value', 'max']});""")
    button.click()
    wait(driver, "the print to end", lambda: status(driver).startswith("Impresso"), timeout=120)
    values = driver.execute_script("return window.valoresProgresso")
    assert any(0 < v < m for v, m in values), "the progress bar did not move: %r" % values
    opened = driver.find_element(By.ID, "abrir")
    assert opened.text == "Abrir o PDF" and opened.is_displayed()
    assert "abrir=1" in opened.get_attribute("href")
    save = driver.find_element(By.ID, "baixar")
    assert save.get_attribute("download") == "listagem-do-inventario_empresas-1_3-5_01-01-2026_a_31-12-2026.pdf", \
        save.get_attribute("download")
    assert driver.find_element(By.ID, "previa").get_attribute("src") in (None, "")
    wait(driver, "the result in view", lambda: in_view(driver, opened), timeout=5)
    driver.save_screenshot(os.path.join(WORK, "resultado.png"))
    pdf = os.path.join(WORK, "listagem.pdf")
    urllib.request.urlretrieve(save.get_attribute("href"), pdf)
    text = subprocess.run(["pdftotext", pdf, "-"], check=True, capture_output=True, text=True).stdout
    assert "Total Ind. de Propr.: 0 Estoque Próprio" in text
    assert "Total Conta 1141 - 1.1.04.01 - Matérias-primas" in text

    # Previews when asked, a page at a time.
    driver.find_element(By.ID, "ver-previa").click()
    preview = driver.find_element(By.ID, "previa")
    wait(driver, "page 1 of the preview",
         lambda: driver.execute_script("return arguments[0].complete && arguments[0].naturalWidth", preview))
    assert driver.find_element(By.ID, "pagina-atual").text.startswith("Página 1 de")
    driver.find_element(By.ID, "proxima").click()
    wait(driver, "page 2 of the preview", lambda: driver.find_element(By.ID, "pagina-atual").text.startswith("Página 2"))
    driver.save_screenshot(os.path.join(WORK, "previa.png"))

    # A long print stopped: nothing is published.
    pdf_url = save.get_attribute("href")
    # The page clicks "Parar" the moment it shows: a poll from here could come after the end.
    driver.execute_script("""const stop = document.getElementById('parar');
        const watcher = new MutationObserver(() => { if (!stop.hidden) { watcher.disconnect(); stop.click(); } });
        watcher.observe(stop, {attributes: true, attributeFilter: ['hidden']});""")
    button.click()
    wait(driver, "the stop", lambda: status(driver) == "Impressão interrompida: nada foi publicado.")
    assert not driver.find_element(By.ID, "resultado").is_displayed()
    try:
        urllib.request.urlopen(pdf_url)
        raise AssertionError("a stopped print left a PDF")
    except urllib.error.HTTPError as e:
        assert e.code == 404, e.code

    # The values printed are there again after a reload.
    open_screen(driver, base, "stockListing")
    wait(driver, "the remembered order",
         lambda: Select(field(driver, "pOrdem")).first_selected_option.text == "Descrição")


def required(driver, base):
    open_screen(driver, base, "stockBalances")
    row = field(driver, "pDataInicial").find_element(By.XPATH, "./ancestror-or-self::div[contains(@class,'campo')]"
                                                    .replace("ancestror", "ancestor"))
    assert "obrigatorio" in row.get_attribute("class")
    assert "*" in row.find_element(By.TAG_NAME, "label").text
    button = driver.find_element(By.ID, "imprimir")
    assert not button.is_enabled()
    assert "Preencha" in driver.find_element(By.ID, "aviso-campos").text
    type_into(driver, "pDataInicial", "31/12/2026")
    wait(driver, "the print button", button.is_enabled)


def question(driver, base):
    # The register asks before it updates the book control; "Não" cancels the print.
    open_screen(driver, base, "stockRegister")
    type_into(driver, "pCompetInicial", "01/01/2026")
    type_into(driver, "pCompetFinal", "31/12/2026")
    Select(field(driver, "pAtualizarControleLivro")).select_by_visible_text("Sim")
    button = driver.find_element(By.ID, "imprimir")
    wait(driver, "the print button", button.is_enabled)
    button.click()
    dialog = driver.find_element(By.ID, "pergunta")
    wait(driver, "the question", dialog.is_displayed)
    assert "atualizar a numeração dos livros" in driver.find_element(By.ID, "pergunta-texto").text
    driver.save_screenshot(os.path.join(WORK, "pergunta.png"))
    [no] = [b for b in dialog.find_elements(By.TAG_NAME, "button") if b.text == "Não"]
    no.click()
    messages = driver.find_element(By.ID, "mensagens")
    wait(driver, "the cancelled message", lambda: "A impressão foi cancelada pelo usuário." in messages.text)
    assert status(driver) == "Nada foi impresso; nenhum arquivo foi gerado.", status(driver)


if __name__ == "__main__":
    main()
