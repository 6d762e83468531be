-- Creates an order and answers its new key; the same effect as the embedded
-- procedure of this name. The counter row is locked by its update, so keys
-- are drawn one at a time however many clients draw them.
CREATE FUNCTION SP_QBX_INC_PEDIDO_OLT1(in_status numeric, in_externo text, in_fornecedor numeric, in_usuario numeric)
    RETURNS TABLE ("RETORNO" integer, "MSG_RET" text, "PEDIDO_ID" integer) LANGUAGE plpgsql AS $$
DECLARE
    v_fornecedor integer := Infra_Inteiro(in_fornecedor);
    v_usuario integer := Infra_Inteiro(in_usuario);
    v_chave integer;
BEGIN
    IF v_usuario IS NOT NULL THEN
        UPDATE Infra_Chave SET ULTIMO_VALOR = ULTIMO_VALOR + 1 WHERE NOME_COLUNA = 'PEDIDO_ID'
        RETURNING ULTIMO_VALOR INTO v_chave;
    END IF;
    IF v_chave IS NULL OR EXISTS (SELECT 1 FROM PEDIDO WHERE PEDIDO.PEDIDO_ID = v_chave) THEN
        RETURN QUERY SELECT 1, 'Não foi possível gerar a chave PEDIDO_ID.'::text, 0;
        RETURN;
    END IF;
    INSERT INTO PEDIDO (PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID)
    VALUES (v_chave, 1, 1, in_externo, v_fornecedor, NULL);
    INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
    VALUES (172, 1, v_usuario, v_chave, getdate());
    RETURN QUERY SELECT 0, ''::text, v_chave;
END
$$;
